#pragma once

#include <cstdint>

// One entry of the system's IPv4 interface list: a flag word and three
// 24-byte socket-address unions, laid out as the Winsock interface query
// returns them. A union holding an IPv4 address starts with the 16-bit family
// 2 in the platform's byte order, the port, the 4 address bytes in network
// order and 8 zero bytes.
struct interfaceEntry {
    std::uint32_t flags;
    unsigned char address[24];
    unsigned char broadcast[24];
    unsigned char netmask[24];
};

static_assert(sizeof(interfaceEntry) == 76, "entry size of the interface query");

constexpr std::uint32_t interfaceLoopbackFlag = 0x4;
constexpr std::uint16_t ipv4Family = 2;
// The query's buffer holds exactly this many entries.
constexpr int maxInterfaceEntries = 10;
