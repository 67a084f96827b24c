#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "driver/environment.h"

std::vector<std::pair<std::string, std::string>> environmentVariables() {
    std::vector<std::pair<std::string, std::string>> variables;
    // Names beginning with "=" are the system's own (the drives' current
    // directories); no prefix a user gives can mean them.
    for (char** entry = _environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry + 1, '=');
        if (**entry != '=' && equals != nullptr) {
            variables.emplace_back(std::string(*entry, static_cast<std::size_t>(equals - *entry)),
                                   std::string(equals + 1));
        }
    }
    return variables;
}

bool nameBeginsWith(const std::string& name, const std::string& prefix) {
    return name.size() >= prefix.size() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.data(),
                          static_cast<int>(prefix.size()), prefix.data(),
                          static_cast<int>(prefix.size())) == CSTR_EQUAL;
}
