#include "net/adapter_list.h"

#include <algorithm>
#include <cstring>

#include "net/error_texts.h"
#include "net/interface_entry.h"
#include "net/net_system.h"
#include "net/network.h"

namespace {

using hardwareBytes = unsigned char[6];

NCB blankBlock() {
    NCB block;
    std::memset(&block, 0, sizeof block);
    std::memset(block.ncb_callname, ' ', sizeof block.ncb_callname);
    std::memset(block.ncb_name, ' ', sizeof block.ncb_name);
    return block;
}

// The hardware address of the adapter behind LANA 0; zero when NetBIOS
// fails, which is reported.
void readNetbiosAddress(netSystem& system, hardwareBytes& hardware) {
    NCB reset = blankBlock();
    reset.ncb_command = NCBRESET;
    reset.ncb_callname[0] = 10;
    reset.ncb_callname[2] = 30;
    if (system.netbios(reset) != 0) {
        reportNetbiosFailure(reset);
        return;
    }

    struct {
        ADAPTER_STATUS adapter;
        NAME_BUFFER names[30];
    } status;
    static_assert(sizeof status == 600, "status buffer of the adapter status command");
    // Cleared so that a status the system leaves short never yields stray bytes.
    std::memset(&status, 0, sizeof status);
    status.adapter.name_count = 30;
    NCB query = blankBlock();
    query.ncb_command = NCBASTAT;
    query.ncb_callname[0] = '*';
    query.ncb_callname[2] = 30;
    query.ncb_buffer = reinterpret_cast<unsigned char*>(&status);
    query.ncb_length = sizeof status;
    if (system.netbios(query) != 0) {
        reportNetbiosFailure(query);
        return;
    }
    std::memcpy(hardware, status.adapter.adapter_address, sizeof hardware);
}

socketAddress fromUnion(const unsigned char (&address)[24]) {
    socketAddress result;
    std::memset(&result, 0, sizeof result);
    std::uint16_t family;
    std::memcpy(&family, address, sizeof family);
    if (family == ipv4Family) {
        std::memcpy(result.storage, address, 16);
        result.addressLength = 16;
    }
    return result;
}

adapterInfo makeRecord(const interfaceEntry& entry, const hardwareBytes& hardware) {
    adapterInfo record;
    std::memcpy(record.hardwareAddress, hardware, sizeof record.hardwareAddress);
    record.address = fromUnion(entry.address);
    record.netmask = fromUnion(entry.netmask);
    record.broadcast = fromUnion(entry.broadcast);
    return record;
}

bool isLoopback(const interfaceEntry& entry) {
    return (entry.flags & interfaceLoopbackFlag) != 0;
}

}  // namespace

std::vector<adapterInfo> adapterList() {
    std::vector<adapterInfo> adapters;
    network session;
    netSystem& system = activeNetSystem();

    hardwareBytes hardware = {};
    readNetbiosAddress(system, hardware);

    interfaceEntry entries[maxInterfaceEntries];
    std::memset(entries, 0, sizeof entries);
    std::size_t bytes =
        system.interfaceList(reinterpret_cast<unsigned char*>(entries), sizeof entries);
    // A count beyond the buffer would read past it.
    std::size_t count = std::min(bytes, sizeof entries) / sizeof(interfaceEntry);
    adapters.reserve(count);

    for (std::size_t i = 0; i < count; ++i) {
        if (!isLoopback(entries[i])) {
            adapters.push_back(makeRecord(entries[i], hardware));
            std::memset(hardware, 0, sizeof hardware);
        }
    }
    std::memset(hardware, 0, sizeof hardware);
    for (std::size_t i = 0; i < count; ++i) {
        if (isLoopback(entries[i])) {
            adapters.push_back(makeRecord(entries[i], hardware));
        }
    }
    return adapters;
}
