#include "driver/tool_options.h"

bool readToolOption(const std::string& argument, toolOptions& tools) {
    if (argument == "--atomic") {
        tools.atomic = true;
        return true;
    }
    return false;
}
