#pragma once

#include <string>

// The text as it is, or quoted when it holds a control byte (a tab or line
// feed included) or begins with a double quote: a name or value in a line
// that scripts read stays on that line and cannot pass for a quoted one.
std::string shownText(const std::string& s);
