#include "driver/tool_options.h"

#include <utility>

bool readToolOption(const std::string& argument, toolOptions& tools) {
    const std::pair<const char*, bool toolOptions::*> names[] = {
        {"--help", &toolOptions::help},       {"--version", &toolOptions::version},
        {"--check", &toolOptions::check},     {"--diff", &toolOptions::diff},
        {"--strict", &toolOptions::strict},   {"--explain", &toolOptions::explain},
        {"--verbose", &toolOptions::verbose}, {"--atomic", &toolOptions::atomic},
    };
    for (const auto& [name, flag] : names) {
        if (argument == name) {
            tools.*flag = true;
            return true;
        }
    }
    return false;
}
