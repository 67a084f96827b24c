#include <unistd.h>

#include <cstring>

#include "driver/environment.h"

std::vector<std::pair<std::string, std::string>> environmentVariables() {
    std::vector<std::pair<std::string, std::string>> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals != nullptr) {
            variables.emplace_back(std::string(*entry, static_cast<std::size_t>(equals - *entry)),
                                   std::string(equals + 1));
        }
    }
    return variables;
}

bool nameBeginsWith(const std::string& name, const std::string& prefix) {
    return name.compare(0, prefix.size(), prefix) == 0;
}
