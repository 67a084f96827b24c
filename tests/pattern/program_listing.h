#pragma once

#include <string>

#include "pattern/reg_exp.h"

// A compiled program as one readable line, instructions separated by "; ":
// "call 2; advance; char 'a'; match". A class shows its members as ranges,
// "set[a-c]" or "notSet[x]", and hides its four set records.
std::string programListing(const regExp& compiled);

// Compiles the pattern, expecting success, and lists the program.
std::string listingOf(const char* pattern);
