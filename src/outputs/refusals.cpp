#include "outputs/refusals.h"

#include "events/text.h"

void reportUnopenedOutput(runLog& log, const std::string& output, writeRefusal refusal) {
    if (refusal == writeRefusal::cannotOpen || refusal == writeRefusal::none) {
        log.message("Cannot open " + quoted(output) + " for output");
        log.verdict(outputVerdict::failed);
        return;
    }
    const char* reason = refusal == writeRefusal::symbolicLink     ? "it is a symbolic link"
                         : refusal == writeRefusal::notRegularFile ? "it is not a regular file"
                                                                   : "it is its own template";
    log.message("Not writing " + quoted(output) + ": " + reason);
    log.verdict(outputVerdict::refused);
}
