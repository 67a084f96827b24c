#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "net/interface_entry.h"
#include "net/net_system.h"
#include "net/network.h"

// Stands in for the system while it lives: counts session starts and stops,
// answers with what the test set up and keeps the NetBIOS blocks it was sent.
class fakeNetSystem : public netSystem {
public:
    fakeNetSystem() : previous(selectNetSystem(this)) {}
    ~fakeNetSystem() override { selectNetSystem(previous); }
    fakeNetSystem(const fakeNetSystem&) = delete;
    fakeNetSystem& operator=(const fakeNetSystem&) = delete;

    int startSession() override {
        ++starts;
        return startResult;
    }
    int stopSession() override {
        ++stops;
        return stopResult;
    }
    int lastError() override { return errorNumber; }

    bool messageText(int code, char* buffer, std::size_t size) override {
        askedMessages.push_back(code);
        if (!message) {
            return false;
        }
        std::snprintf(buffer, size, "%s", message);
        return true;
    }

    // Behaves like the system call: fails when the name and its NUL do not
    // fit, and writes the name without a NUL followed by noise.
    bool dnsFullyQualifiedName(char* buffer, std::uint32_t& size) override {
        offeredSize = size;
        instancesDuringQuery = network::instanceCount();
        if (!nameAvailable || computerName.size() >= size) {
            return false;
        }
        std::memset(buffer, 'x', size);
        std::memcpy(buffer, computerName.data(), computerName.size());
        size = static_cast<std::uint32_t>(computerName.size());
        return true;
    }

    unsigned char netbios(NCB& block) override {
        sentBlocks.push_back(block);
        if (block.ncb_command == NCBASTAT && block.ncb_buffer != nullptr) {
            ADAPTER_STATUS status;
            std::memcpy(&status, block.ncb_buffer, sizeof status);
            presetNameCount = status.name_count;
            std::memcpy(block.ncb_buffer, hardware.data(), hardware.size());
        }
        block.ncb_retcode = block.ncb_command == NCBRESET ? resetCode : statusCode;
        return block.ncb_retcode;
    }

    // Writes what fits and reports the byte count of every entry, as a query
    // that says how much it had would.
    std::size_t interfaceList(unsigned char* buffer, std::size_t size) override {
        instancesDuringQuery = network::instanceCount();
        if (queryFails) {
            return 0;
        }
        std::size_t fitting = std::min(interfaces.size(), size / sizeof(interfaceEntry));
        // An empty list may have no data pointer, which memcpy must not be given.
        if (fitting > 0) {
            std::memcpy(buffer, interfaces.data(), fitting * sizeof(interfaceEntry));
        }
        return reportedBytes ? reportedBytes : interfaces.size() * sizeof(interfaceEntry);
    }

    int startResult = 0;
    int stopResult = 0;
    int errorNumber = 0;
    const char* message = nullptr;
    std::string computerName;
    bool nameAvailable = true;
    unsigned char resetCode = 0;
    unsigned char statusCode = 0;
    std::array<unsigned char, 6> hardware = {{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}};
    std::vector<interfaceEntry> interfaces;
    std::size_t reportedBytes = 0;
    bool queryFails = false;

    int starts = 0;
    int stops = 0;
    std::vector<int> askedMessages;
    std::uint32_t offeredSize = 0;
    std::int32_t instancesDuringQuery = -1;
    std::vector<NCB> sentBlocks;
    int presetNameCount = -1;

private:
    netSystem* previous;
};

// A socket-address union holding the IPv4 address a.b.c.d.
inline void storeIpv4(unsigned char (&target)[24], unsigned char a, unsigned char b,
                      unsigned char c, unsigned char d) {
    std::memset(target, 0, sizeof target);
    std::memcpy(target, &ipv4Family, sizeof ipv4Family);
    target[4] = a;
    target[5] = b;
    target[6] = c;
    target[7] = d;
}

// An entry whose address, netmask and broadcast all lie in 10.0.n.0/24, so
// that a record shows which entry it came from.
inline interfaceEntry entryNumbered(unsigned char n, bool loopback = false) {
    interfaceEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.flags = loopback ? interfaceLoopbackFlag : 0x1;
    storeIpv4(entry.address, 10, 0, n, 1);
    storeIpv4(entry.netmask, 255, 255, 255, 0);
    storeIpv4(entry.broadcast, 10, 0, n, 255);
    return entry;
}
