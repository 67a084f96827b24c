#include "expand/subs_iter.h"

#include <iostream>

#include "events/text.h"
#include "io/atomic_output.h"

namespace {

constexpr std::string_view templateEnding = ".pre";

bool isTemplate(const std::string& path) {
    return path.size() > templateEnding.size() &&
           path.compare(path.size() - templateEnding.size(), templateEnding.size(),
                        templateEnding) == 0;
}

}  // namespace

subsIter::subsIter(const subsTable& table) : dirIterator(true), globalSubs(&table) {}

subsTable& subsIter::getLocalSubs() {
    if (!localSubs) {
        localSubs = std::make_unique<subsTable>(*globalSubs);
        lookups.forget();
    }
    return *localSubs;
}

bool subsIter::processFile(const std::string& path, int /*depth*/) {
    if (!isTemplate(path)) {
        if (atomicWrites) {
            atomicOutput::removeLeftover(path);
        }
        return true;
    }
    const std::string outputName = path.substr(0, path.size() - templateEnding.size());
    textInput input(path, inBuffer);
    if (!input.isOpen()) {
        std::cerr << "Cannot open " << quoted(path) << " for input" << std::endl;
        return true;
    }
    if (atomicWrites) {
        expandAtomically(path, outputName, input);
        return true;
    }
    // Opened only now: a template that cannot be read leaves an earlier
    // run's output as it was.
    textOutput output(outputName, outBuffer);
    if (!output.isOpen()) {
        std::cerr << "Cannot open " << quoted(outputName) << " for output" << std::endl;
        return true;
    }
    const bool expanded = expandStream(path, input, output);
    const bool written = output.close();
    if (!expanded || !written) {
        std::cerr << "Failed to process " << quoted(path) << " correctly" << std::endl;
    }
    return true;
}

bool subsIter::expandStream(const std::string& name, textInput& in, textOutput& out) {
    filenames.push_back(name);
    const bool expanded = processStream(in, out);
    filenames.pop_back();
    return expanded;
}
