#include "expand/background_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

TEST(backgroundWorker, runsJobsOneAtATimeInTheOrderPosted) {
    std::vector<int> done;
    backgroundWorker worker;
    for (int job = 0; job < 500; ++job) {
        worker.post([&done, job] {
            if (job % 100 == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            done.push_back(job);
        });
    }
    worker.wait();
    ASSERT_EQ(done.size(), 500u);
    for (int job = 0; job < 500; ++job) {
        EXPECT_EQ(done[job], job);
    }
}

TEST(backgroundWorker, endsOnlyAfterTheJobInHand) {
    bool finished = false;
    {
        backgroundWorker worker;
        worker.post([&finished] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            finished = true;
        });
    }
    EXPECT_TRUE(finished);
}

}  // namespace
