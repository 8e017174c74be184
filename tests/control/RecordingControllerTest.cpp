#include <gtest/gtest.h>

#include "core/capture/EventRecorder.h"
#include "core/capture/InputEventTap.h"
#include "core/control/RecordingController.h"
#include "platform/fake/FakeInputSource.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/fake/ManualTimedQueue.h"
#include "tests/support/CollectingConsumer.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kSecond = 1'000'000'000;
constexpr std::uint64_t kMilli = 1'000'000;

using Phase = RecordingController::Phase;

// A controller on the fake listener whose clock is the manual queue's, so
// countdowns and counters move only when the test advances the queue.
class RecordingControllerTest : public ::testing::Test {
protected:
    RecordingControllerTest() {
        tap->start();
        controller->onChange = [this] { seen.push_back({controller->phase(), controller->remaining()}); };
    }
    ~RecordingControllerTest() override { tap->stop(); }

    std::uint64_t now() const { return base + queue->now(); }

    void type(std::uint16_t keyCode, std::uint64_t at) {
        auto witness = std::make_shared<testing::CollectingConsumer>();
        tap->addConsumer(witness);
        for (const bool down : {true, false}) {
            TapEvent event;
            event.kind = down ? TapEvent::Kind::keyDown(keyCode, false) : TapEvent::Kind::keyUp(keyCode);
            event.timestamp = at + (down ? 0 : kMilli);
            ASSERT_TRUE(source->push(event));
        }
        ASSERT_TRUE(witness->waitForCount(2));
        tap->removeConsumer(*witness);
    }

    struct Seen {
        Phase phase;
        std::int64_t remaining;
        friend bool operator==(const Seen&, const Seen&) = default;
    };

    const std::uint64_t base = 1'000 * kSecond;
    std::shared_ptr<ManualMainQueue> queue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<FakeInputSource> source = std::make_shared<FakeInputSource>();
    std::shared_ptr<InputEventTap> tap = std::make_shared<InputEventTap>(source);
    std::shared_ptr<EventRecorder> recorder = std::make_shared<EventRecorder>(
        queue, std::make_shared<ManualTimedQueue>(), std::make_shared<FakeSecureInput>(), nullptr);
    std::shared_ptr<RecordingController> controller =
        RecordingController::make(tap, queue, recorder, [this] { return now(); });
    std::vector<Seen> seen;
};

TEST_F(RecordingControllerTest, CountsDownOneStepASecondAndRecordsWhenTheCountdownEnds) {
    controller->request(3);
    queue->advanceBy(3 * kSecond - 1);
    EXPECT_EQ(controller->phase(), Phase::countdown);
    queue->advanceBy(1);
    EXPECT_EQ(controller->phase(), Phase::recording);
    EXPECT_EQ(seen, (std::vector<Seen>{
                        {Phase::countdown, 3}, {Phase::countdown, 2}, {Phase::countdown, 1}, {Phase::recording, 0}}));
    controller->request(3);
    EXPECT_EQ(controller->phase(), Phase::recording) << "a request while recording changes nothing";
}

TEST_F(RecordingControllerTest, ACountdownCanBeSkippedOrCancelledAndBelowOneSecondThereIsNone) {
    controller->request(5);
    controller->beginNow();
    EXPECT_EQ(controller->phase(), Phase::recording);
    ASSERT_TRUE(controller->finish(std::nullopt, std::nullopt).has_value());

    controller->request(5);
    controller->cancelCountdown();
    EXPECT_EQ(controller->phase(), Phase::idle);
    queue->advanceBy(10 * kSecond);
    EXPECT_EQ(controller->phase(), Phase::idle) << "a cancelled countdown's steps do nothing";
    EXPECT_FALSE(controller->finish(std::nullopt, std::nullopt).has_value()) << "nothing was recorded";

    controller->request(0);
    EXPECT_EQ(controller->phase(), Phase::recording);
}

TEST_F(RecordingControllerTest, CountsTimeAndEventsWhileRecordingAndCutsTheStoppingShortcut) {
    controller->request(0);
    type(0, now() + 10 * kMilli);  // "a"
    queue->advanceBy(RecordingController::counterRefreshNanos);
    EXPECT_EQ(controller->elapsedNanos(), RecordingController::counterRefreshNanos);
    EXPECT_EQ(controller->eventCount(), 2);

    const std::uint64_t shortcutAt = now() + 20 * kMilli;
    type(7, shortcutAt);  // the stop shortcut's key
    queue->advanceBy(kSecond);
    const std::optional<Recording> recording = controller->finish(shortcutAt, 7);
    ASSERT_TRUE(recording.has_value());
    EXPECT_EQ(controller->phase(), Phase::idle);
    for (const RecordingEvent& event : recording->events) {
        EXPECT_LT(event.timestamp(), shortcutAt - base) << "nothing from the stopping press on is kept";
    }
    const auto counted = seen.size();
    queue->advanceBy(kSecond);
    EXPECT_EQ(seen.size(), counted) << "no counter refresh after the end";
}

}  // namespace
}  // namespace brevanor
