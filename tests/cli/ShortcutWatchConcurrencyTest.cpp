#include <gtest/gtest.h>

#include <vector>

#include "base/time/MonotonicClock.h"
#include "base/values/TapEvent.h"
#include "cli/LoopMainQueue.h"
#include "core/control/ShortcutWatch.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kHoldNanos = 50'000'000;
constexpr std::uint64_t kPatienceNanos = 5'000'000'000;

TapEvent key(TapEvent::Kind kind, std::uint64_t flags = 0, bool synthetic = false) {
    TapEvent event;
    event.kind = kind;
    event.timestamp = MonotonicClock::now();
    event.flags = flags;
    event.isSynthetic = synthetic;
    return event;
}

class ShortcutWatchConcurrency : public ::testing::Test {
protected:
    // Runs the main queue until another press arrives or `nanos` have passed.
    void runFor(std::uint64_t nanos) {
        const std::size_t before = presses_.size();
        bool elapsed = false;
        queue_->postAfter(nanos, [&] { elapsed = true; });
        queue_->runUntil([&] { return elapsed || presses_.size() > before; });
    }

    const HotkeyChord stop_{7, HotkeyChord::controlFlag | HotkeyChord::optionFlag | HotkeyChord::commandFlag};
    const HotkeyChord record_{15, HotkeyChord::controlFlag | HotkeyChord::optionFlag | HotkeyChord::commandFlag};
    std::shared_ptr<LoopMainQueue> queue_ = std::make_shared<LoopMainQueue>();
    std::vector<ShortcutWatch::Press> presses_;
    std::shared_ptr<ShortcutWatch> keys_ = [this] {
        auto watch = ShortcutWatch::make(
            queue_, [this](const ShortcutWatch::Press& press) { presses_.push_back(press); }, kHoldNanos);
        watch->watch(record_, stop_);
        return watch;
    }();
};

TEST_F(ShortcutWatchConcurrency, HoldingEscapeStopsWithTheTimeOfItsKeyDown) {
    const TapEvent down = key(TapEvent::Kind::keyDown(53, false));
    keys_->consume(down);
    keys_->consume(key(TapEvent::Kind::keyDown(53, true)));  // auto-repeat starts no second hold
    runFor(kPatienceNanos);
    ASSERT_EQ(presses_.size(), 1u);
    EXPECT_EQ(presses_[0], (ShortcutWatch::Press{ShortcutWatch::Key::escapeHold, down.timestamp, 53}));
    EXPECT_GE(MonotonicClock::now(), down.timestamp + kHoldNanos);
    runFor(4 * kHoldNanos);
    EXPECT_EQ(presses_.size(), 1u);
}

TEST_F(ShortcutWatchConcurrency, ShortcutsCountWithExactlyTheirModifiersAndNeverAsBrevanorsOwnKeys) {
    keys_->consume(key(TapEvent::Kind::keyDown(7, false), stop_.modifiers | HotkeyChord::shiftFlag));
    keys_->consume(key(TapEvent::Kind::keyDown(7, false), 0));
    // Brevanor's own keys never count, the Escape hold neither.
    keys_->consume(key(TapEvent::Kind::keyDown(7, false), stop_.modifiers, true));
    keys_->consume(key(TapEvent::Kind::keyDown(53, false), 0, true));
    runFor(4 * kHoldNanos);
    EXPECT_TRUE(presses_.empty()) << "an extra or a missing modifier is another key, and synthetic keys are none";

    const TapEvent press =
        key(TapEvent::Kind::keyDown(7, false), stop_.modifiers | 0x10000);  // Caps Lock does not count
    keys_->consume(press);
    runFor(kPatienceNanos);
    ASSERT_EQ(presses_.size(), 1u);
    EXPECT_EQ(presses_[0], (ShortcutWatch::Press{ShortcutWatch::Key::stopShortcut, press.timestamp, 7}));

    keys_->consume(key(TapEvent::Kind::keyDown(15, false), record_.modifiers));
    runFor(kPatienceNanos);
    ASSERT_EQ(presses_.size(), 2u);
    EXPECT_EQ(presses_[1].key, ShortcutWatch::Key::recordShortcut);
}

TEST_F(ShortcutWatchConcurrency, APressFromAnotherThreadArrivesOnTheMainQueue) {
    std::thread listener([&] { keys_->consume(key(TapEvent::Kind::keyDown(7, false), stop_.modifiers)); });
    runFor(kPatienceNanos);
    listener.join();
    ASSERT_EQ(presses_.size(), 1u);
}

TEST(LoopMainQueueConcurrency, RunsPostedTasksInOrderAndDelayedOnesWhenDue) {
    LoopMainQueue queue;
    std::vector<int> order;
    const std::uint64_t start = MonotonicClock::now();
    queue.postAfter(30'000'000, [&] { order.push_back(3); });
    queue.postAfter(10'000'000, [&] { order.push_back(2); });
    std::thread other([&] { queue.post([&] { order.push_back(1); }); });
    other.join();
    queue.runUntil([&] { return order.size() == 3; });
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_GE(MonotonicClock::now() - start, 30'000'000u);
}

}  // namespace
}  // namespace brevanor
