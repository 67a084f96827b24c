#include "io/encoding_messages.h"

#include <iostream>

#include "events/text.h"

void reportUtf16(std::string_view kind, const std::string& path, std::string_view ending) {
    std::cerr << kind << ' ' << quoted(path) << " is UTF-16 text; save it as UTF-8 or ANSI"
              << ending << std::endl;
}

void reportEndOfFileMark(const std::string& path) {
    std::cerr << "Reading " << quoted(path)
              << " stopped at a Ctrl-Z byte (0x1A) before the end of the file" << std::endl;
}
