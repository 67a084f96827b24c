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
