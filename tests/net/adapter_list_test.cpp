#include "net/adapter_list.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "fake_net_system.h"
#include "support/event_recorder.h"

namespace {

using hardwareBytes = std::array<unsigned char, 6>;
const hardwareBytes noHardware = {};

hardwareBytes hardwareOf(const adapterInfo& record) {
    hardwareBytes bytes;
    std::memcpy(bytes.data(), record.hardwareAddress, bytes.size());
    return bytes;
}

// The third address byte, which tells the entry a record came from.
int entryNumberOf(const adapterInfo& record) {
    return record.address.storage[6];
}

std::vector<int> entryNumbers(const std::vector<adapterInfo>& records) {
    std::vector<int> numbers;
    for (const adapterInfo& record : records) {
        numbers.push_back(entryNumberOf(record));
    }
    return numbers;
}

std::vector<hardwareBytes> hardwareAddresses(const std::vector<adapterInfo>& records) {
    std::vector<hardwareBytes> addresses;
    for (const adapterInfo& record : records) {
        addresses.push_back(hardwareOf(record));
    }
    return addresses;
}

// The storage of a filled IPv4 address: family, zero port, the address, zeros.
std::vector<unsigned char> ipv4Storage(unsigned char a, unsigned char b, unsigned char c,
                                       unsigned char d) {
    std::vector<unsigned char> storage(32, 0);
    std::memcpy(storage.data(), &ipv4Family, sizeof ipv4Family);
    storage[4] = a;
    storage[5] = b;
    storage[6] = c;
    storage[7] = d;
    return storage;
}

std::vector<unsigned char> storageOf(const socketAddress& address) {
    return std::vector<unsigned char>(address.storage, address.storage + 32);
}

TEST(AdapterList, OrderAndHardwareAddress) {
    struct {
        const char* name;
        std::vector<interfaceEntry> interfaces;
        std::vector<int> expectedOrder;
        bool firstCarriesHardware;
    } const cases[] = {
        {"loopback only", {entryNumbered(1, true)}, {1}, false},
        {"two adapters, loopback last",
         {entryNumbered(1), entryNumbered(2), entryNumbered(3, true)},
         {1, 2, 3},
         true},
        {"loopback listed first",
         {entryNumbered(1, true), entryNumbered(2), entryNumbered(3)},
         {2, 3, 1},
         true},
        {"several loopbacks keep their order",
         {entryNumbered(1, true), entryNumbered(2), entryNumbered(3, true), entryNumbered(4),
          entryNumbered(5, true)},
         {2, 4, 1, 3, 5},
         true},
    };
    for (const auto& c : cases) {
        fakeNetSystem system;
        system.interfaces = c.interfaces;
        std::vector<adapterInfo> records = adapterList();
        EXPECT_EQ(entryNumbers(records), c.expectedOrder) << c.name;
        std::vector<hardwareBytes> expectedHardware(records.size(), noHardware);
        if (c.firstCarriesHardware) {
            expectedHardware[0] = system.hardware;
        }
        EXPECT_EQ(hardwareAddresses(records), expectedHardware) << c.name;
    }
}

TEST(AdapterList, RecordsCopyIpv4AddressesOnly) {
    fakeNetSystem system;
    interfaceEntry entry = entryNumbered(7);
    std::memset(entry.netmask, 0, sizeof entry.netmask);
    std::uint16_t ipv6Family = 23;
    std::memcpy(entry.netmask, &ipv6Family, sizeof ipv6Family);
    entry.netmask[8] = 0xff;
    entry.address[20] = 0xee;  // beyond the 16 bytes of an IPv4 address
    system.interfaces = {entry};

    std::vector<adapterInfo> records = adapterList();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].address.addressLength, 16);
    EXPECT_EQ(storageOf(records[0].address), ipv4Storage(10, 0, 7, 1));
    EXPECT_EQ(records[0].broadcast.addressLength, 16);
    EXPECT_EQ(storageOf(records[0].broadcast), ipv4Storage(10, 0, 7, 255));
    EXPECT_EQ(records[0].netmask.addressLength, 0);
    EXPECT_EQ(storageOf(records[0].netmask), std::vector<unsigned char>(32, 0));
}

TEST(AdapterList, TakesWholeEntriesUpToTen) {
    struct {
        std::size_t entries;
        std::size_t reportedBytes;
        std::size_t expectedRecords;
    } const cases[] = {
        {12, 0, 10},
        {10, 0, 10},
        {3, 2 * sizeof(interfaceEntry) + 40, 2},
        {3, 1000000, 10},
    };
    for (const auto& c : cases) {
        fakeNetSystem system;
        for (std::size_t i = 0; i < c.entries; ++i) {
            system.interfaces.push_back(entryNumbered(static_cast<unsigned char>(i + 1)));
        }
        system.reportedBytes = c.reportedBytes;
        std::vector<adapterInfo> records = adapterList();
        EXPECT_EQ(records.size(), c.expectedRecords) << c.entries << " / " << c.reportedBytes;
        EXPECT_LE(records.size(), records.capacity());
    }
}

TEST(AdapterList, FailedQueryGivesNoRecordsAndNoReport) {
    fakeNetSystem system;
    eventRecorder recorder;
    system.interfaces = {entryNumbered(1)};
    system.queryFails = true;
    EXPECT_TRUE(adapterList().empty());
    EXPECT_TRUE(recorder.lines.empty());
}

TEST(AdapterList, NetbiosFailureIsReportedOnceAndLeavesZeroHardware) {
    struct {
        unsigned char resetCode;
        unsigned char statusCode;
        std::size_t blocksSent;
        const char* line;
    } const cases[] = {
        {0x34, 0, 1,
         "Failure: commonEvent/function reports failure \"The environment was not defined. A "
         "reset command must be issued.(52)\" | Netbios(NCBRESET)"},
        {0, 0x23, 2,
         "Failure: commonEvent/function reports failure \"The ncb_lana_num member did not "
         "specify a valid network number.(35)\" | Netbios(NCBASTAT)"},
    };
    for (const auto& c : cases) {
        fakeNetSystem system;
        eventRecorder recorder;
        system.resetCode = c.resetCode;
        system.statusCode = c.statusCode;
        system.interfaces = {entryNumbered(1), entryNumbered(2), entryNumbered(3, true)};
        std::vector<adapterInfo> records = adapterList();
        EXPECT_EQ(system.sentBlocks.size(), c.blocksSent);
        ASSERT_EQ(recorder.lines.size(), 1u);
        EXPECT_EQ(recorder.lines[0], c.line);
        EXPECT_EQ(entryNumbers(records), (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(hardwareAddresses(records), std::vector<hardwareBytes>(3, noHardware));
    }
}

std::string bytesOf(const unsigned char (&name)[16]) {
    return std::string(reinterpret_cast<const char*>(name), sizeof name);
}

TEST(AdapterList, NetbiosBlocksResetThenAskAdapterStatus) {
    fakeNetSystem system;
    adapterList();
    ASSERT_EQ(system.sentBlocks.size(), 2u);
    const NCB& reset = system.sentBlocks[0];
    const NCB& status = system.sentBlocks[1];

    EXPECT_EQ(reset.ncb_command, NCBRESET);
    EXPECT_EQ(bytesOf(reset.ncb_callname), std::string("\x0a \x1e") + std::string(13, ' '));
    EXPECT_EQ(reset.ncb_buffer, nullptr);
    EXPECT_EQ(reset.ncb_length, 0);

    EXPECT_EQ(status.ncb_command, NCBASTAT);
    EXPECT_EQ(bytesOf(status.ncb_callname), std::string("* \x1e") + std::string(13, ' '));
    EXPECT_NE(status.ncb_buffer, nullptr);
    EXPECT_EQ(status.ncb_length, 600);
    EXPECT_EQ(system.presetNameCount, 30);

    for (const NCB& block : system.sentBlocks) {
        EXPECT_EQ(bytesOf(block.ncb_name), std::string(16, ' '));
        EXPECT_EQ(block.ncb_lana_num, 0);
        EXPECT_EQ(block.ncb_lsn, 0);
    }
}

TEST(AdapterList, HoldsASessionAroundTheQueries) {
    fakeNetSystem system;
    system.interfaces = {entryNumbered(1)};
    adapterList();
    EXPECT_EQ(system.instancesDuringQuery, 1);
    EXPECT_EQ(system.starts, 1);
    EXPECT_EQ(system.stops, 1);
}

}  // namespace
