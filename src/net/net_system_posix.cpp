#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "net/interface_entry.h"
#include "net/net_system.h"
#include "net/resolver_config.h"

#ifdef __linux__
#include <linux/if_packet.h>
#endif

namespace {

std::string fileText(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void storeIpv4(unsigned char (&target)[24], const sockaddr* source) {
    if (source == nullptr || source->sa_family != AF_INET) {
        return;
    }
    sockaddr_in address;
    std::memcpy(&address, source, sizeof address);
    std::memcpy(target, &ipv4Family, sizeof ipv4Family);
    std::memcpy(target + 2, &address.sin_port, 2);
    std::memcpy(target + 4, &address.sin_addr, 4);
}

// The hardware address of an interface entry, when the entry carries one.
bool hardwareAddressOf(const ifaddrs& entry, unsigned char (&hardware)[6]) {
#ifdef __linux__
    if (entry.ifa_addr == nullptr || entry.ifa_addr->sa_family != AF_PACKET) {
        return false;
    }
    sockaddr_ll link;
    std::memcpy(&link, entry.ifa_addr, sizeof link);
    static const unsigned char none[6] = {};
    if (link.sll_halen != 6 || std::memcmp(link.sll_addr, none, 6) == 0) {
        return false;
    }
    std::memcpy(hardware, link.sll_addr, 6);
    return true;
#else
    (void)entry;
    (void)hardware;
    return false;
#endif
}

// The first non-loopback interface's hardware address stands in for the
// adapter behind NetBIOS LANA 0; all zero when none has one.
void firstHardwareAddress(unsigned char (&hardware)[6]) {
    std::memset(hardware, 0, sizeof hardware);
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return;
    }
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if ((entry->ifa_flags & IFF_LOOPBACK) == 0 && hardwareAddressOf(*entry, hardware)) {
            break;
        }
    }
    freeifaddrs(list);
}

class posixNetSystem : public netSystem {
public:
    // Sockets need no library start here.
    int startSession() override { return 0; }
    int stopSession() override { return 0; }
    int lastError() override { return 0; }

    // Error numbers of the socket library mean nothing to this system.
    bool messageText(int, char*, std::size_t) override { return false; }

    bool dnsFullyQualifiedName(char* buffer, std::uint32_t& size) override {
        char hostName[256] = {};
        if (gethostname(hostName, sizeof hostName - 1) != 0) {
            return false;
        }
        std::string name =
            qualifiedHostName(hostName, fileText("/etc/hosts"), fileText("/etc/resolv.conf"));
        if (name.empty() || name.size() >= size) {
            return false;
        }
        std::memcpy(buffer, name.c_str(), name.size() + 1);
        size = static_cast<std::uint32_t>(name.size());
        return true;
    }

    // Answers the two commands the adapter query sends.
    unsigned char netbios(NCB& block) override {
        block.ncb_retcode = 0;
        if (block.ncb_command == NCBASTAT) {
            unsigned char hardware[6];
            firstHardwareAddress(hardware);
            if (block.ncb_buffer != nullptr && block.ncb_length >= sizeof hardware) {
                std::memcpy(block.ncb_buffer, hardware, sizeof hardware);
            }
        } else if (block.ncb_command != NCBRESET) {
            block.ncb_retcode = NRC_ILLCMD;
        }
        return block.ncb_retcode;
    }

    std::size_t interfaceList(unsigned char* buffer, std::size_t size) override {
        ifaddrs* list = nullptr;
        if (getifaddrs(&list) != 0) {
            return 0;
        }
        std::size_t used = 0;
        for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
            if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
                continue;
            }
            if (used + sizeof(interfaceEntry) > size) {
                break;
            }
            interfaceEntry record;
            std::memset(&record, 0, sizeof record);
            record.flags = (entry->ifa_flags & IFF_LOOPBACK) != 0 ? interfaceLoopbackFlag : 0;
            storeIpv4(record.address, entry->ifa_addr);
            storeIpv4(record.netmask, entry->ifa_netmask);
            if ((entry->ifa_flags & IFF_BROADCAST) != 0) {
                storeIpv4(record.broadcast, entry->ifa_broadaddr);
            }
            std::memcpy(buffer + used, &record, sizeof record);
            used += sizeof record;
        }
        freeifaddrs(list);
        return used;
    }
};

}  // namespace

netSystem& platformNetSystem() {
    static posixNetSystem system;
    return system;
}
