#include "events/event_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "support/event_recorder.h"

namespace {

std::string printed(const eventReport& report) {
    std::ostringstream out;
    report.print(out);
    return out.str();
}

TEST(EventTexts, EnumerationsAndUnknownValues) {
    EXPECT_STREQ(severityText(Success), "Success");
    EXPECT_STREQ(severityText(Fatal), "Fatal");
    EXPECT_STREQ(severityText(5), "<unknown eventSeverity>");
    EXPECT_STREQ(severityText(-1), "<unknown eventSeverity>");
    EXPECT_STREQ(domainText(domainCommon), "commonEvent");
    EXPECT_STREQ(domainText(domainOS), "O/S");
    EXPECT_STREQ(domainText(domainNetworking), "networking");
    EXPECT_STREQ(domainText(domainApache), "Apache");
    EXPECT_STREQ(domainText(10), "<unknown eventDomain>");
    EXPECT_STREQ(commonEventText(infiniteLoop), "?infinite? loop");
    EXPECT_STREQ(commonEventText(expectedDataNotAvailable), "Expected data is not available");
    EXPECT_STREQ(commonEventText(badSequenceOfOperations), "Bad sequence of operations");
    EXPECT_STREQ(commonEventText(19), "<unknown eventCommon>");
    EXPECT_STREQ(commonEventText(-1), "<unknown eventCommon>");
}

TEST(EventPrint, OneLineForms) {
    commonEvent withContext(1, domainCommon, Failure, functionReportsFailure, "ab", "cd");
    EXPECT_EQ(printed(withContext), "Failure: commonEvent/function reports failure \"ab\" | cd");

    commonEvent bare(1, domainUtils, Warning, 19, "t", "");
    EXPECT_EQ(printed(bare), "Warning: utils/<unknown eventCommon> \"t\"");

    eventReport base(1, static_cast<eventDomain>(42), static_cast<eventSeverity>(9), -1, "", "");
    EXPECT_EQ(printed(base), "<unknown eventSeverity>: <unknown eventDomain>/-1 \"\"");

    commonEvent detailed(1, domainCommon, Severe, comment, "s", "where");
    detailed.details = {"x", "y"};
    EXPECT_EQ(printed(detailed), "Severe: commonEvent/comment \"s\" { \"x\" \"y\" } | where");

    assertEvent failedAssert("inBuffer[length - 1] == '\\0'", "..\\fillwright", 273);
    EXPECT_EQ(
        printed(failedAssert),
        "Fatal: assert/assert failure \"inBuffer[length - 1] == '\\\\0'\" | ..\\fillwright @ 273");
    EXPECT_EQ(failedAssert.tag, 31);
    EXPECT_EQ(failedAssert.code, 0);
}

// Records what it sees and declares it dealt with when told to.
class countingListener : public eventListener {
public:
    explicit countingListener(bool consumes, std::vector<int>* order, int id)
        : consumes(consumes), order(order), id(id) {}
    bool onEvent(eventReport&) override {
        order->push_back(id);
        return consumes;
    }

private:
    bool consumes;
    std::vector<int>* order;
    int id;
};

TEST(EventDelivery, ListenersInKeyOrderUntilOneConsumes) {
    std::vector<int> order;
    countingListener first(false, &order, 1);
    countingListener second(true, &order, 2);
    countingListener third(false, &order, 3);
    eventRegistry& registry = eventRegistry::instance();
    ASSERT_TRUE(registry.add(30, third));
    ASSERT_TRUE(registry.add(10, first));
    ASSERT_TRUE(registry.add(20, second));
    EXPECT_FALSE(registry.add(20, third));
    { commonEvent report(1, domainCommon, Failure, comment, "t", ""); }
    registry.remove(10);
    registry.remove(20);
    registry.remove(30);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(EventDelivery, DeliveredOnceAcrossTheDestructorChain) {
    eventRecorder recorder;
    {
        commonEvent report(24, domainCommon, Failure, functionReportsFailure, "x", "y");
        report.deliver();
    }
    ASSERT_EQ(recorder.lines.size(), 1u);
    EXPECT_EQ(recorder.lines[0], "Failure: commonEvent/function reports failure \"x\" | y");
    EXPECT_EQ(recorder.tags, (std::vector<int>{24}));
}

TEST(EventDelivery, SubclassTextIsSeenByListeners) {
    eventRecorder recorder;
    { assertEvent report("e", "f", 7); }
    ASSERT_EQ(recorder.lines.size(), 1u);
    EXPECT_EQ(recorder.lines[0], "Fatal: assert/assert failure \"e\" | f @ 7");
}

}  // namespace
