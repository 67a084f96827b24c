#include <iostream>

#include "events/text.h"
#include "expand/preview_outputs.h"
#include "expand/refusal_messages.h"
#include "expand/subs_iter.h"

// processFile's work under --check: the same expansion and messages, with the
// new text written where the preview keeps it.
void subsIter::previewFile(const std::string& path, const std::string& outputName, textInput& input,
                           byteOrderMark mark) {
    previewOutputs& preview = *settings.preview;
    const auto& templateIdentity = input.identity();
    const platformFile::writeRefusal refusal =
        previewOutputs::namesDirectory(outputName)
            ? platformFile::writeRefusal::cannotOpen
            : platformFile::previewRefusal(outputName,
                                           templateIdentity ? &*templateIdentity : nullptr);
    if (refusal != platformFile::writeRefusal::none) {
        reportUnopenedOutput(outputName, refusal);
        return;
    }
    const std::string newText = preview.newTextFile();
    textOutput output(newText, outBuffer);
    if (!output.isOpen()) {
        std::cerr << "Cannot open " << quoted(newText) << " for output" << std::endl;
        return;
    }
    if (!writeTemplate(path, mark, input, output)) {
        reportFailedTemplate(path);
    }
    preview.settle(outputName, newText);
}

std::string subsIter::readPathOf(const std::string& path) const {
    return settings.preview != nullptr ? settings.preview->readPathOf(path) : path;
}
