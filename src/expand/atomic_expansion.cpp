#include "expand/refusal_messages.h"
#include "expand/subs_iter.h"
#include "io/atomic_output.h"

void subsIter::expandAtomically(const std::string& path, const std::string& outputName,
                                textInput& input, byteOrderMark mark) {
    atomicOutput target(outputName, path);
    if (target.refused() != atomicOutput::refusal::none) {
        reportUnopenedOutput(outputName, target.refused());
        return;
    }
    textOutput output(target.writer(), outBuffer);
    if (!output.isOpen()) {
        reportUnopenedOutput(outputName, atomicOutput::refusal::cannotOpen);
        return;
    }
    // Only a complete text replaces the old output; the target removes any other.
    if (!writeTemplate(path, mark, input, output) || !target.commit()) {
        reportFailedTemplate(path);
    }
}
