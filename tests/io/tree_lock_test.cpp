#include "io/tree_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "support/scratch_dir.h"

namespace {

// Two runs over one tree, here two openings of its directory: runs that
// only look share the lock, a run that writes waits for the other (and is
// told once it has waited a second), and any run waits for one that writes.
TEST(TreeLock, WritersWaitLookersShare) {
    using kind = treeLock::kind;
    const struct {
        kind first;
        kind second;
        bool waits;
        bool waitsPastASecond;
    } cases[] = {
        {kind::shared, kind::shared, false, false},
        {kind::shared, kind::exclusive, true, false},
        {kind::exclusive, kind::shared, true, false},
        {kind::exclusive, kind::exclusive, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.first) * 10 + static_cast<int>(c.second));
        scratchDir dir;
        const directory one = directory::open(dir.at(""));
        const directory other = directory::open(dir.at(""));
        auto holder = std::make_unique<treeLock>(one, c.first, [] {});
        ASSERT_TRUE(holder->held());
        std::atomic<bool> told{false};
        std::atomic<bool> held{false};
        std::thread second([&] {
            const treeLock waiting(other, c.second, [&] { told = true; });
            held = waiting.held();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(c.waitsPastASecond ? 1300 : 200));
        EXPECT_EQ(held, !c.waits);
        holder.reset();
        second.join();
        EXPECT_TRUE(held);
        EXPECT_EQ(told, c.waitsPastASecond);
    }
}

}  // namespace
