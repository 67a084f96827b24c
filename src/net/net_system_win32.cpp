#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstddef>

#include "net/interface_entry.h"
#include "net/net_system.h"

static_assert(sizeof(INTERFACE_INFO) == sizeof(interfaceEntry), "interface entry layout");
static_assert(offsetof(INTERFACE_INFO, iiAddress) == offsetof(interfaceEntry, address),
              "interface entry layout");
static_assert(offsetof(INTERFACE_INFO, iiBroadcastAddress) == offsetof(interfaceEntry, broadcast),
              "interface entry layout");
static_assert(offsetof(INTERFACE_INFO, iiNetmask) == offsetof(interfaceEntry, netmask),
              "interface entry layout");
static_assert(IFF_LOOPBACK == interfaceLoopbackFlag, "loopback flag");
static_assert(AF_INET == ipv4Family, "IPv4 family");

namespace {

const DWORD oneLineSystemMessage =
    FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;

class win32NetSystem : public netSystem {
public:
    int startSession() override {
        WSADATA unused;
        return WSAStartup(MAKEWORD(2, 2), &unused);
    }
    int stopSession() override { return WSACleanup(); }
    int lastError() override { return WSAGetLastError(); }

    bool messageText(int code, char* buffer, std::size_t size) override {
        return FormatMessageA(oneLineSystemMessage, nullptr, static_cast<DWORD>(code),
                              MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                              static_cast<DWORD>(size), nullptr) != 0;
    }

    bool dnsFullyQualifiedName(char* buffer, std::uint32_t& size) override {
        DWORD length = size;
        if (!GetComputerNameExA(ComputerNameDnsFullyQualified, buffer, &length)) {
            return false;
        }
        size = length;
        return true;
    }

    unsigned char netbios(NCB& block) override { return Netbios(&block); }

    std::size_t interfaceList(unsigned char* buffer, std::size_t size) override {
        SOCKET query = socket(AF_INET, SOCK_DGRAM, 0);
        DWORD count = 0;
        int result = WSAIoctl(query, SIO_GET_INTERFACE_LIST, buffer, static_cast<DWORD>(size),
                              buffer, static_cast<DWORD>(size), &count, nullptr, nullptr);
        if (query != INVALID_SOCKET) {
            closesocket(query);
        }
        // A failed query may still report the size it wanted.
        return result == 0 ? count : 0;
    }
};

}  // namespace

netSystem& platformNetSystem() {
    static win32NetSystem system;
    return system;
}
