#include "templates/table_budget.h"

namespace {

std::size_t entryBytes(const std::string& keyword, std::size_t valueLength) {
    return keyword.size() + valueLength + tableBudget::entryCost;
}

std::size_t bytesOf(const subsTable& table) {
    std::size_t bytes = 0;
    for (const auto& [keyword, value] : table.all()) {
        bytes += entryBytes(keyword, value.size());
    }
    return bytes;
}

// The table's bytes once the keyword holds a value of valueLength bytes; an
// existing entry keeps the spelling of its keyword.
std::size_t bytesAfter(const subsTable& table, std::size_t held, const std::string& keyword,
                       std::size_t valueLength) {
    const std::string* old = table.find(keyword);
    return old == nullptr ? held + entryBytes(keyword, valueLength)
                          : held - old->size() + valueLength;
}

}  // namespace

bool tableBudget::allows(const subsTable& table, const std::string& keyword,
                         std::size_t valueLength) {
    if (!held) {
        held = bytesOf(table);
    }
    return bytesAfter(table, *held, keyword, valueLength) <= limit;
}

const std::string& tableBudget::assign(subsTable& table, const std::string& keyword,
                                       std::string value) {
    if (!held) {
        held = bytesOf(table);
    }
    held = bytesAfter(table, *held, keyword, value.size());
    std::string& stored = table.entry(keyword);
    stored = std::move(value);
    return stored;
}
