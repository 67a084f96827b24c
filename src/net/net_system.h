#pragma once

#include <cstddef>
#include <cstdint>

#include "net/netbios_block.h"

// The system calls under the network queries. Each platform supplies the real
// one; tests select fakes so the logic above runs without the real network.
class netSystem {
public:
    virtual ~netSystem() = default;

    // Start and stop the socket library (version 2.2); 0 on success.
    virtual int startSession() = 0;
    virtual int stopSession() = 0;
    // The error number of the last failed socket-library call.
    virtual int lastError() = 0;

    // Writes the system's one-line text of an error number into buffer, NUL
    // ended; false when the system has no text for it.
    virtual bool messageText(int code, char* buffer, std::size_t size) = 0;

    // The computer's fully qualified DNS name into buffer. On entry size is
    // the buffer's size; on success it becomes the name's length without its
    // NUL. Fails, leaving the buffer undefined, when the name does not fit.
    virtual bool dnsFullyQualifiedName(char* buffer, std::uint32_t& size) = 0;

    // Runs one NetBIOS command; returns its return code, also left in the block.
    virtual unsigned char netbios(NCB& block) = 0;

    // Fills buffer with the IPv4 interface list (interfaceEntry records) and
    // returns the byte count the query reports; 0 when the query fails.
    virtual std::size_t interfaceList(unsigned char* buffer, std::size_t size) = 0;
};

// The system the network queries use: the platform's own unless a test has
// selected another.
netSystem& activeNetSystem();
// Selects replacement (the platform's own when null); returns what was
// selected before, null standing for the platform's own.
netSystem* selectNetSystem(netSystem* replacement);
// The platform's own system, defined beside each platform's calls.
netSystem& platformNetSystem();
