#include "expand/subs_iter.h"

#include <iostream>

#include "events/text.h"
#include "expand/refusal_messages.h"
#include "io/atomic_output.h"
#include "io/byte_order_mark.h"
#include "io/encoding_messages.h"

namespace {

constexpr std::string_view templateEnding = ".pre";

bool isTemplate(const std::string& path) {
    return path.size() > templateEnding.size() &&
           path.compare(path.size() - templateEnding.size(), templateEnding.size(),
                        templateEnding) == 0;
}

}  // namespace

subsIter::subsIter(const subsTable& table)
    : dirIterator(true), globalSubs(&table), expander(table) {}

subsTable& subsIter::getLocalSubs() {
    if (!localSubs) {
        localSubs = std::make_unique<subsTable>(*globalSubs);
        expander.useTable(*localSubs);
    }
    return *localSubs;
}

bool subsIter::processFile(const std::string& path, int /*depth*/) {
    if (!isTemplate(path)) {
        // A run that writes nothing removes nothing either.
        if (settings.atomic && settings.preview == nullptr) {
            atomicOutput::removeLeftover(path);
        }
        return true;
    }
    const std::string outputName = path.substr(0, path.size() - templateEnding.size());
    textInput input(readPathOf(path), inBuffer);
    if (!input.isOpen()) {
        std::cerr << "Cannot open " << quoted(path) << " for input" << std::endl;
        return true;
    }
    const byteOrderMark mark = takeByteOrderMark(input);
    if (isUtf16(mark)) {
        reportUtf16("Template", path);
        return true;
    }
    if (settings.preview != nullptr) {
        previewFile(path, outputName, input, mark);
        return true;
    }
    if (settings.atomic) {
        expandAtomically(path, outputName, input, mark);
        return true;
    }
    // Opened only now: a template that cannot be read leaves an earlier
    // run's output as it was.
    textOutput output(outputName, outBuffer, input.identity());
    if (!output.isOpen()) {
        reportUnopenedOutput(outputName, output.refusal());
        return true;
    }
    if (!writeTemplate(path, mark, input, output)) {
        reportFailedTemplate(path);
    }
    return true;
}

bool subsIter::writeTemplate(const std::string& path, byteOrderMark mark, textInput& in,
                             textOutput& out) {
    // The output is in the template's encoding.
    if (mark == byteOrderMark::utf8) {
        out.write(utf8ByteOrderMark);
    }
    const bool expanded = expandTemplate(path, in, out);
    const bool written = out.close();
    return expanded && written;
}

bool subsIter::expandStream(const std::string& name, textInput& in, textOutput& out) {
    filenames.push_back(name);
    guard.enter(in.identity());
    const bool expanded = processStream(in, out);
    guard.leave();
    filenames.pop_back();
    if (in.stoppedAtEndOfFileMark()) {
        reportEndOfFileMark(name);
        return false;
    }
    return expanded;
}
