#include "net/network.h"

#include <gtest/gtest.h>

#include <optional>

#include "fake_net_system.h"
#include "support/event_recorder.h"

namespace {

TEST(Network, NestedInstancesStartAndStopOnce) {
    fakeNetSystem system;
    {
        network first;
        EXPECT_EQ(system.starts, 1);
        {
            network second;
            EXPECT_EQ(network::instanceCount(), 2);
        }
        EXPECT_EQ(system.starts, 1);
        EXPECT_EQ(system.stops, 0);
    }
    EXPECT_EQ(system.stops, 1);
    EXPECT_EQ(network::instanceCount(), 0);
}

TEST(Network, OverlappingLivesStopWhenTheLastEnds) {
    fakeNetSystem system;
    std::optional<network> first(std::in_place);
    std::optional<network> second(std::in_place);
    first.reset();
    EXPECT_EQ(system.stops, 0);
    second.reset();
    EXPECT_EQ(system.starts, 1);
    EXPECT_EQ(system.stops, 1);
}

TEST(Network, SuccessiveInstancesRunFullCycles) {
    fakeNetSystem system;
    eventRecorder recorder;
    { network hostQuery; }
    { network adapterQuery; }
    EXPECT_EQ(system.starts, 2);
    EXPECT_EQ(system.stops, 2);
    EXPECT_TRUE(recorder.lines.empty());
}

TEST(Network, FailedStartIsReportedAndStillStopped) {
    fakeNetSystem system;
    eventRecorder recorder;
    system.startResult = -1;
    system.stopResult = -1;
    system.errorNumber = 10091;
    {
        network session;
        EXPECT_EQ(network::instanceCount(), 1);
        system.errorNumber = 10093;
    }
    EXPECT_EQ(system.stops, 1);
    ASSERT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(recorder.lines[0],
              "Failure: networking/Network subsystem is unavailable. \"2.2\" | WSAStartup");
    EXPECT_EQ(recorder.lines[1],
              "Failure: networking/Successful WSAStartup not yet performed. "
              "\"network::~network\" | WSACleanup");
    EXPECT_EQ(recorder.tags, (std::vector<int>{18, 18}));
    EXPECT_EQ(recorder.codes, (std::vector<int>{10091, 10093}));
}

TEST(NetworkCheck, ReportsOnlyFailures) {
    eventRecorder recorder;
    EXPECT_TRUE(networkCheck(0, 10093, "2.2", "WSAStartup"));
    EXPECT_TRUE(recorder.lines.empty());

    EXPECT_FALSE(networkCheck(-1, 10093, "2.2", "WSAStartup"));
    EXPECT_FALSE(networkCheck(5, 10035, "", ""));
    ASSERT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(recorder.lines[0],
              "Failure: networking/Successful WSAStartup not yet performed. \"2.2\" | WSAStartup");
    EXPECT_EQ(recorder.lines[1], "Failure: networking/Resource temporarily unavailable. \"\"");
    EXPECT_EQ(recorder.codes, (std::vector<int>{10093, 10035}));
}

}  // namespace
