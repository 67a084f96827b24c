#pragma once

#include <cstdint>
#include <vector>

// One socket address. When filled from an IPv4 address, storage holds that
// sockaddr_in in its first 16 bytes and zeros after, and addressLength is 16;
// otherwise everything is zero.
struct socketAddress {
    unsigned char storage[32];
    std::int32_t addressLength;
};

// One IPv4 interface. Only the first non-loopback record carries the
// adapter's hardware address; every other record has six zero bytes.
struct adapterInfo {
    unsigned char hardwareAddress[6];
    socketAddress address;
    socketAddress netmask;
    socketAddress broadcast;
};

// The host's IPv4 interfaces, non-loopback ones first, each group in the
// system's order; at most 10. Failures inside give a shorter or empty list.
std::vector<adapterInfo> adapterList();
