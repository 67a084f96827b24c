#include "driver/tool_options.h"

#include <utility>

namespace {

constexpr const char* environmentOption = "--env=";

}  // namespace

optionWord readToolOption(const std::string& argument, toolOptions& tools) {
    const std::pair<const char*, bool toolOptions::*> names[] = {
        {"--help", &toolOptions::help},       {"--version", &toolOptions::version},
        {"--check", &toolOptions::check},     {"--diff", &toolOptions::diff},
        {"--strict", &toolOptions::strict},   {"--explain", &toolOptions::explain},
        {"--verbose", &toolOptions::verbose}, {"--atomic", &toolOptions::atomic},
        {"--json", &toolOptions::json},
    };
    for (const auto& [name, flag] : names) {
        if (argument == name) {
            tools.*flag = true;
            return optionWord::toolOption;
        }
    }
    if (argument.rfind(environmentOption, 0) == 0) {
        tools.environmentPrefixes.push_back(argument.substr(std::string(environmentOption).size()));
        return optionWord::toolOption;
    }
    const bool looksLikeOne =
        argument.rfind("--", 0) == 0 && argument.find('=') == std::string::npos;
    return looksLikeOne ? optionWord::unknownOption : optionWord::other;
}

optionWord kindOfWord(const std::string& argument) {
    toolOptions ignored;
    return readToolOption(argument, ignored);
}
