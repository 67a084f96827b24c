#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "table/subs_table.h"

// Keeps the table of a run within a bound. Each keyword directive may set a
// value of 1 MiB, so without it a few thousand of them, each copying a long
// value, would take gigabytes. Keywords and values count with their bytes,
// and every entry with a share for the table's own bookkeeping, so that many
// short directives count too.
class tableBudget {
public:
    static constexpr std::size_t limit = std::size_t{64} << 20;
    static constexpr std::size_t entryCost = 64;

    // Whether setting keyword to a value of valueLength bytes keeps the table
    // within the limit.
    bool allows(const subsTable& table, const std::string& keyword, std::size_t valueLength);
    // Sets the keyword in the table allows was last asked about, or its copy;
    // the value as stored.
    const std::string& assign(subsTable& table, const std::string& keyword, std::string value);

private:
    // The current table's bytes, counted on first use.
    std::optional<std::size_t> held;
};
