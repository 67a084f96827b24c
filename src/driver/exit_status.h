#pragma once

// The statuses that scripts test.
namespace exitStatus {

constexpr int succeeded = 0;
// --check or --diff: some output would be created or changed.
constexpr int wouldChange = 1;
// A message under --check, --diff or --strict; a mistyped tool option or a
// tool option's bad value, always.
constexpr int misused = 2;
constexpr int optionWithoutValue = -1;

}  // namespace exitStatus
