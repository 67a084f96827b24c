#include "table/subs_table.h"

#include <algorithm>

namespace {

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

}  // namespace

bool keywordLess::operator()(const std::string& a, const std::string& b) const {
    const std::size_t shorter = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < shorter; ++i) {
        if (a[i] == b[i]) {
            continue;
        }
        auto foldedA = static_cast<signed char>(foldAscii(a[i]));
        auto foldedB = static_cast<signed char>(foldAscii(b[i]));
        if (foldedA != foldedB) {
            return foldedA < foldedB;
        }
    }
    return a.size() < b.size();
}

const std::string* subsTable::find(const std::string& keyword) const {
    auto found = table.find(keyword);
    return found == table.end() ? nullptr : &found->second;
}

const std::string& subsTable::valueOrEmpty(const std::string& keyword) const {
    static const std::string empty;
    const std::string* value = find(keyword);
    return value ? *value : empty;
}

std::string& subsTable::entry(const std::string& keyword) {
    return table[keyword];
}

void subsTable::assign(const std::string& keyword, const std::string& value) {
    entry(keyword) = value;
}

std::string subsTable::setIfAbsent(const std::string& keyword, const std::string& value) {
    return table.try_emplace(keyword, value).first->second;
}
