#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "io/file_identity.h"
#include "outputs/output_mode.h"

// What the includes of one template may not do, decided by file identity so
// that no spelling of a name and no link gets around it: include a file
// being expanded, include the output being written (which would read back
// what it writes, without end), or expand more includes than a bound (files
// that each include the next twice would otherwise take days).
class includeGuard {
public:
    static constexpr std::size_t includeLimit = 10000;

    enum class verdict { allowed, cycle, output, tooMany };

    // A template's expansion begins: nothing is being expanded or counted.
    // An output that does not exist yet is known by its place alone.
    void startTemplate(const pendingOutput& written);
    // Before a file is opened to be included, by the path that names it.
    verdict beforeOpening(const std::string& path) const;
    // Once it is open; an allowed include counts towards the limit.
    verdict admit(const std::optional<fileIdentity>& include);
    // Around the expansion of each file, the template included.
    void enter(const std::optional<fileIdentity>& file) { expanding.push_back(file); }
    void leave() { expanding.pop_back(); }

private:
    std::optional<fileIdentity> output;
    std::optional<outputPlace> outputWithoutFile;
    std::vector<std::optional<fileIdentity>> expanding;
    std::size_t expansions = 0;
};
