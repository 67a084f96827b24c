#pragma once

#include <string>

// Small text forms used by messages and event reports.

void appendDecimal(std::string& s, int n);
std::string toDecimal(int n);
void appendHex(std::string& s, int n);
std::string toHex(int n);

// The text in double quotes; quote, backslash and non-printing bytes escaped,
// so that any input (a path, a line of a file) shows unambiguously on one line.
std::string quoted(const std::string& s);

// A text shown bare in a message, with its control bytes (below 0x20 but the
// tab, and 0x7F) escaped as quoted escapes them, so that a line of a file
// cannot move the cursor or forge lines on the terminal; any other text is
// unchanged.
std::string withControlsEscaped(const std::string& s);
