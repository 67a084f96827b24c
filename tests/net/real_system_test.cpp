// The platform's own calls, checked only for what holds on any machine.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "net/adapter_list.h"
#include "net/error_texts.h"
#include "net/host_name.h"
#include "net/interface_entry.h"
#include "net/network.h"
#include "net/resolver_config.h"
#include "support/event_recorder.h"

namespace {

TEST(RealSystem, SessionStartsAndStopsWithoutReports) {
    eventRecorder recorder;
    {
        network first;
        network second;
    }
    { network again; }
    EXPECT_EQ(network::instanceCount(), 0);
    EXPECT_TRUE(recorder.lines.empty());
}

TEST(RealSystem, CodeWithoutSystemTextFallsBack) {
    EXPECT_EQ(std::string(winsockErrorText(-1)), "unknown error code (-1)");
    EXPECT_EQ(std::string(winsockErrorText(-1)), "unknown error code (-1)");
    EXPECT_STRNE(winsockErrorText(10059), "");
}

TEST(RealSystem, HostNameIsOneWordOrEmpty) {
    std::string name = hostFqdn();
    EXPECT_EQ(name.find_first_of(std::string(" \t\r\n\0", 5)), std::string::npos) << name;
#ifndef _WIN32
    EXPECT_FALSE(isLoopbackAlias(name)) << name;
#endif
}

TEST(RealSystem, AdapterRecordsAreIpv4WithOneHardwareAddressAtMost) {
    std::vector<adapterInfo> records = adapterList();
    EXPECT_LE(records.size(), static_cast<std::size_t>(maxInterfaceEntries));
    const unsigned char noHardware[6] = {};
    for (std::size_t i = 0; i < records.size(); ++i) {
        const socketAddress& address = records[i].address;
        ASSERT_EQ(address.addressLength, 16) << i;
        std::uint16_t family;
        std::memcpy(&family, address.storage, sizeof family);
        EXPECT_EQ(family, ipv4Family) << i;
        const unsigned char zeros[24] = {};
        EXPECT_EQ(std::memcmp(address.storage + 8, zeros, sizeof zeros), 0) << i;
        if (i > 0) {
            EXPECT_EQ(std::memcmp(records[i].hardwareAddress, noHardware, 6), 0) << i;
        }
    }
}

}  // namespace
