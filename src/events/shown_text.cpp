#include "events/shown_text.h"

#include <algorithm>

#include "events/text.h"

std::string shownText(const std::string& s) {
    const bool plain =
        (s.empty() || s.front() != '"') && std::none_of(s.begin(), s.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7f;
        });
    return plain ? s : quoted(s);
}
