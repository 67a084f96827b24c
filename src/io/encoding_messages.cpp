#include "io/encoding_messages.h"

#include "events/text.h"

void reportUtf16(runLog& log, std::string_view kind, const std::string& path,
                 std::string_view ending, messagePlace place) {
    log.message(std::string(kind) + ' ' + quoted(path) +
                    " is UTF-16 text; save it as UTF-8 or ANSI" + std::string(ending),
                std::move(place));
}

void reportEndOfFileMark(runLog& log, const std::string& path) {
    log.message("Reading " + quoted(path) +
                " stopped at a Ctrl-Z byte (0x1A) before the end of the file");
}
