#pragma once

#include <cstddef>
#include <string_view>

class textInput;

// What the first bytes of a text say about its encoding. Windows editors put
// a mark there: UTF-8 text reads on byte for byte once the mark is left out,
// UTF-16 text cannot be read as bytes at all.
enum class byteOrderMark { none, utf8, utf16LittleEndian, utf16BigEndian };

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";
// The most bytes a mark takes.
constexpr std::size_t byteOrderMarkLength = utf8ByteOrderMark.size();

byteOrderMark byteOrderMarkOf(std::string_view leadingBytes);

inline bool isUtf16(byteOrderMark mark) {
    return mark == byteOrderMark::utf16LittleEndian || mark == byteOrderMark::utf16BigEndian;
}

// The mark at the start of the input, if any; a UTF-8 mark is handed out so
// that the first line reads without it.
byteOrderMark takeByteOrderMark(textInput& input);
