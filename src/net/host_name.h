#pragma once

#include <string>

// The computer's fully qualified DNS name as the system gives it, or the
// empty string when it cannot be had.
std::string hostFqdn();
