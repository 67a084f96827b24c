#include <stdlib.h>

#include <cstdlib>
#include <vector>

#include "io/private_directory.h"

std::string makePrivateDirectory() {
    const char* temporary = std::getenv("TMPDIR");
    std::string pattern = (temporary != nullptr && *temporary != '\0') ? temporary : "/tmp";
    pattern += "/fillwright-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // Made with mode 0700 under a name no one could foresee.
    return ::mkdtemp(name.data()) != nullptr ? std::string(name.data()) : std::string();
}
