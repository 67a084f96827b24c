#include "events/text.h"

#include <algorithm>

namespace {

// Works on the magnitude as unsigned so that INT_MIN has one.
void appendMagnitude(std::string& s, unsigned magnitude, unsigned base) {
    if (magnitude >= base) {
        appendMagnitude(s, magnitude / base, base);
    }
    s.push_back("0123456789abcdef"[magnitude % base]);
}

void appendSigned(std::string& s, int n, unsigned base) {
    unsigned magnitude = static_cast<unsigned>(n);
    if (n < 0) {
        s.push_back('-');
        magnitude = 0u - magnitude;
    }
    appendMagnitude(s, magnitude, base);
}

}  // namespace

void appendDecimal(std::string& s, int n) {
    appendSigned(s, n, 10);
}

std::string toDecimal(int n) {
    std::string s;
    appendDecimal(s, n);
    return s;
}

void appendHex(std::string& s, int n) {
    appendSigned(s, n, 16);
}

std::string toHex(int n) {
    std::string s;
    appendHex(s, n);
    return s;
}

namespace {

// A byte as the quoted form escapes it, for the bytes it escapes other than
// the quote and the backslash.
void appendEscaped(std::string& result, unsigned char byte) {
    if (byte == '\t') {
        result += "\\t";
    } else if (byte == '\n') {
        result += "\\n";
    } else if (byte == '\r') {
        result += "\\r";
    } else {
        result.push_back('\\');
        result.push_back(static_cast<char>('0' + (byte >> 6)));
        result.push_back(static_cast<char>('0' + ((byte >> 3) & 7)));
        result.push_back(static_cast<char>('0' + (byte & 7)));
    }
}

bool isControl(unsigned char byte) {
    return (byte < 0x20 && byte != '\t') || byte == 0x7f;
}

}  // namespace

std::string quoted(const std::string& s) {
    std::string result;
    result.reserve(s.size() + 2);
    result.push_back('"');
    for (char c : s) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7E) {
            if (byte == '"' || byte == '\\') {
                result.push_back('\\');
            }
            result.push_back(c);
        } else {
            appendEscaped(result, byte);
        }
    }
    result.push_back('"');
    return result;
}

std::string withControlsEscaped(const std::string& s) {
    if (std::none_of(s.begin(), s.end(),
                     [](char c) { return isControl(static_cast<unsigned char>(c)); })) {
        return s;
    }
    std::string result;
    for (char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        if (isControl(byte)) {
            appendEscaped(result, byte);
        } else {
            result.push_back(c);
        }
    }
    return result;
}
