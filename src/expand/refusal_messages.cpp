#include "expand/refusal_messages.h"

#include <iostream>

#include "events/text.h"

void reportUnopenedOutput(const std::string& output, platformFile::writeRefusal refusal) {
    using platformFile::writeRefusal;
    if (refusal == writeRefusal::cannotOpen || refusal == writeRefusal::none) {
        std::cerr << "Cannot open " << quoted(output) << " for output" << std::endl;
        return;
    }
    const char* reason = refusal == writeRefusal::symbolicLink     ? "it is a symbolic link"
                         : refusal == writeRefusal::notRegularFile ? "it is not a regular file"
                                                                   : "it is its own template";
    std::cerr << "Not writing " << quoted(output) << ": " << reason << std::endl;
}

void reportFailedTemplate(const std::string& path) {
    std::cerr << "Failed to process " << quoted(path) << " correctly" << std::endl;
}

void reportRefusedInclude(const std::string& include, includeGuard::verdict verdict) {
    std::cerr << "Include file " << quoted(include);
    switch (verdict) {
        case includeGuard::verdict::cycle:
            std::cerr << " is already being expanded";
            break;
        case includeGuard::verdict::output:
            std::cerr << " is the output being written";
            break;
        default:
            std::cerr << " would pass " << includeGuard::includeLimit
                      << " includes in one template";
            break;
    }
    std::cerr << "; directive ignored" << std::endl;
}
