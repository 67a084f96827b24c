#include <iostream>

#include "events/text.h"
#include "expand/subs_iter.h"
#include "io/atomic_output.h"

void subsIter::expandAtomically(const std::string& path, const std::string& outputName,
                                textInput& input) {
    atomicOutput target(outputName, path);
    switch (target.refused()) {
        case atomicOutput::refusal::symbolicLink:
            std::cerr << "Not writing " << quoted(outputName) << ": it is a symbolic link"
                      << std::endl;
            return;
        case atomicOutput::refusal::notRegularFile:
            std::cerr << "Not writing " << quoted(outputName) << ": it is not a regular file"
                      << std::endl;
            return;
        case atomicOutput::refusal::cannotOpen:
        case atomicOutput::refusal::none:
            break;
    }
    textOutput output(target.writer(), outBuffer);
    if (!output.isOpen()) {
        std::cerr << "Cannot open " << quoted(outputName) << " for output" << std::endl;
        return;
    }
    const bool expanded = expandStream(path, input, output);
    const bool written = output.close();
    // Only a complete text replaces the old output; the target removes any other.
    if (!expanded || !written || !target.commit()) {
        std::cerr << "Failed to process " << quoted(path) << " correctly" << std::endl;
    }
}
