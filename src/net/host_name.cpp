#include "net/host_name.h"

#include <cstdint>

#include "net/net_system.h"
#include "net/network.h"

std::string hostFqdn() {
    network session;
    char buffer[1025];
    std::uint32_t size = sizeof buffer;
    // Not retried with a larger buffer: a longer name gives the empty string.
    if (!activeNetSystem().dnsFullyQualifiedName(buffer, size)) {
        return std::string();
    }
    return std::string(buffer, size);
}
