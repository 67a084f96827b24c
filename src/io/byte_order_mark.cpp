#include "io/byte_order_mark.h"

#include "io/text_file.h"

byteOrderMark byteOrderMarkOf(std::string_view leadingBytes) {
    if (leadingBytes.substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark) {
        return byteOrderMark::utf8;
    }
    const std::string_view start = leadingBytes.substr(0, 2);
    if (start == "\xFF\xFE") {
        return byteOrderMark::utf16LittleEndian;
    }
    if (start == "\xFE\xFF") {
        return byteOrderMark::utf16BigEndian;
    }
    return byteOrderMark::none;
}

byteOrderMark takeByteOrderMark(textInput& input) {
    const byteOrderMark mark = byteOrderMarkOf(input.peek(byteOrderMarkLength));
    if (mark == byteOrderMark::utf8) {
        input.skip(utf8ByteOrderMark.size());
    }
    return mark;
}
