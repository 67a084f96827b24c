#include "net/host_name.h"

#include <gtest/gtest.h>

#include "fake_net_system.h"
#include "support/event_recorder.h"

namespace {

TEST(HostFqdn, TakesExactlyTheLengthTheSystemGives) {
    fakeNetSystem system;
    for (const std::string& name :
         {std::string("vm.example.com"), std::string("BareHost"), std::string(1024, 'n')}) {
        system.computerName = name;
        EXPECT_EQ(hostFqdn(), name);
        EXPECT_EQ(system.offeredSize, 1025u);
    }
}

TEST(HostFqdn, FailureGivesEmptyNameSilently) {
    fakeNetSystem system;
    eventRecorder recorder;
    system.computerName = std::string(1025, 'n');
    EXPECT_EQ(hostFqdn(), "");
    system.computerName = "vm";
    system.nameAvailable = false;
    EXPECT_EQ(hostFqdn(), "");
    EXPECT_TRUE(recorder.lines.empty());
}

TEST(HostFqdn, HoldsASessionOnlyWhenNoneIsAlive) {
    fakeNetSystem system;
    system.computerName = "vm";
    hostFqdn();
    EXPECT_EQ(system.instancesDuringQuery, 1);
    EXPECT_EQ(system.starts, 1);
    EXPECT_EQ(system.stops, 1);
    {
        network outer;
        hostFqdn();
        EXPECT_EQ(system.instancesDuringQuery, 2);
    }
    EXPECT_EQ(system.starts, 2);
    EXPECT_EQ(system.stops, 2);
}

TEST(HostFqdn, SessionFailureLeavesTheName) {
    fakeNetSystem system;
    eventRecorder recorder;
    system.computerName = "vm.example.com";
    system.startResult = -1;
    system.errorNumber = 10091;
    EXPECT_EQ(hostFqdn(), "vm.example.com");
    EXPECT_EQ(recorder.lines.size(), 1u);
}

}  // namespace
