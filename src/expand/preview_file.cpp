#include <iostream>

#include "events/text.h"
#include "expand/preview_outputs.h"
#include "expand/subs_iter.h"

// processFile's work under --check: the same expansion and messages, with the
// new text written where the preview keeps it.
bool subsIter::previewFile(const std::string& path, const std::string& outputName) {
    previewOutputs& preview = *settings.preview;
    textInput input(preview.readPathOf(path), inBuffer);
    if (!input.isOpen()) {
        std::cerr << "Cannot open " << quoted(path) << " for input" << std::endl;
        return true;
    }
    if (!previewOutputs::mayWrite(outputName)) {
        std::cerr << "Cannot open " << quoted(outputName) << " for output" << std::endl;
        return true;
    }
    const std::string newText = preview.newTextFile();
    textOutput output(newText, outBuffer);
    if (!output.isOpen()) {
        std::cerr << "Cannot open " << quoted(newText) << " for output" << std::endl;
        return true;
    }
    const bool expanded = expandStream(path, input, output);
    const bool written = output.close();
    if (!expanded || !written) {
        std::cerr << "Failed to process " << quoted(path) << " correctly" << std::endl;
    }
    preview.settle(outputName, newText);
    return true;
}

std::string subsIter::readPathOf(const std::string& path) const {
    return settings.preview != nullptr ? settings.preview->readPathOf(path) : path;
}
