#include <gtest/gtest.h>

#include <vector>

#include "core/control/EscHold.h"
#include "platform/fake/ManualMainQueue.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kHold = EscHold::defaultHoldNanos;

class EscHoldTest : public ::testing::Test {
protected:
    std::shared_ptr<ManualMainQueue> queue = std::make_shared<ManualMainQueue>();
    std::vector<std::uint64_t> stops;
    std::shared_ptr<EscHold> hold = EscHold::make(queue, kHold, [this](std::uint64_t at) { stops.push_back(at); });
};

TEST_F(EscHoldTest, AReleaseEndsAHoldTheNextPressStartsAFreshOneAndNothingFiresOnceItIsGone) {
    hold->press(1);
    queue->advanceBy(kHold * 8 / 10);
    hold->cancel();  // released after 0.8 s
    queue->advanceBy(kHold);
    EXPECT_TRUE(stops.empty());

    hold->press(2);
    queue->advanceBy(kHold / 2);
    hold->press(3);  // a new hold replaces the one under way
    queue->advanceBy(kHold / 2);
    EXPECT_TRUE(stops.empty());
    queue->advanceBy(kHold / 2);
    EXPECT_EQ(stops, std::vector<std::uint64_t>{3});

    // Nothing fires once the hold is gone.
    hold->press(4);
    hold.reset();
    queue->advanceBy(2 * kHold);
    EXPECT_EQ(stops, std::vector<std::uint64_t>{3});
}

}  // namespace
}  // namespace brevanor
