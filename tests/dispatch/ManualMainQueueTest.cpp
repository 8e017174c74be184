#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/fake/ManualMainQueue.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMs = 1'000'000;

TEST(ManualMainQueue, RunsTasksInOrderOnlyWhenDrainedAndDelayedOnesOnTheVirtualClockSaturating) {
    ManualMainQueue queue;
    std::vector<std::string> order;
    queue.post([&] {
        order.push_back("first");
        queue.post([&] { order.push_back("posted by first"); });
    });
    queue.post([&] { order.push_back("second"); });
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(queue.pendingCount(), 2u);

    EXPECT_EQ(queue.runReady(), 3);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "posted by first"}));
    EXPECT_EQ(queue.runReady(), 0);
    EXPECT_EQ(queue.pendingCount(), 0u);

    // Delayed tasks fall due on the virtual clock, in deadline order.
    order.clear();
    std::vector<std::uint64_t> times;
    auto note = [&](std::string what) {
        order.push_back(std::move(what));
        times.push_back(queue.now());
    };
    queue.postAfter(30 * kMs, [&] { note("c"); });
    queue.postAfter(10 * kMs, [&] {
        note("a");
        queue.postAfter(5 * kMs, [&] { note("a+5"); });
    });
    queue.postAfter(10 * kMs, [&] { note("b"); });  // same deadline: posting order
    queue.postAfter(0, [&] { note("now"); });

    EXPECT_EQ(queue.runReady(), 1);
    EXPECT_EQ(queue.advanceBy(9 * kMs), 0);
    EXPECT_EQ(queue.now(), 9 * kMs);
    EXPECT_EQ(queue.advanceBy(21 * kMs), 4);
    EXPECT_EQ(order, (std::vector<std::string>{"now", "a", "b", "a+5", "c"}));
    EXPECT_EQ(times, (std::vector<std::uint64_t>{0, 10 * kMs, 10 * kMs, 15 * kMs, 30 * kMs}));
    EXPECT_EQ(queue.now(), 30 * kMs);

    // Huge delays and steps saturate instead of wrapping.
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    queue.advanceBy(kMs);
    bool ran = false;
    queue.postAfter(kMax, [&] { ran = true; });
    EXPECT_EQ(queue.runReady(), 0);
    EXPECT_FALSE(ran);

    queue.advanceBy(kMax);
    EXPECT_EQ(queue.now(), kMax);
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace brevanor
