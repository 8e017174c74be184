#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "core/capture/EventRecorder.h"
#include "core/capture/InputEventTap.h"
#include "platform/fake/FakeInputSource.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/fake/ManualTimedQueue.h"
#include "tests/support/CollectingConsumer.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

using testing::CollectingConsumer;
using testing::waitUntil;

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kStart = 1'000 * kMs;

// Key presses 1 ms apart, each with its own key code, so that a recording shows
// exactly which of them it kept.
TapEvent press(std::uint16_t code) {
    return TapEvent{TapEvent::Kind::keyDown(code, false), kStart + code * kMs, {}, 0, 0, false};
}

std::vector<std::uint16_t> keyCodesOf(const Recording& recording) {
    std::vector<std::uint16_t> codes;
    for (const RecordingEvent& event : recording.events) {
        if (event.kind() == RecordingEvent::Kind::keyDown) codes.push_back(event.key().keyCode);
    }
    return codes;
}

class EventRecorderConcurrency : public ::testing::Test {
protected:
    std::shared_ptr<FakeInputSource> source = std::make_shared<FakeInputSource>();
    std::shared_ptr<InputEventTap> tap = std::make_shared<InputEventTap>(source);
    std::shared_ptr<EventRecorder> recorder =
        std::make_shared<EventRecorder>(std::make_shared<ManualMainQueue>(), std::make_shared<ManualTimedQueue>(),
                                        std::make_shared<FakeSecureInput>(), nullptr);
};

TEST_F(EventRecorderConcurrency, StopRacingDeliveryKeepsAnUnbrokenRunOfEvents) {
    auto witness = std::make_shared<CollectingConsumer>();  // tells when the queue is drained
    tap->addConsumer(witness);
    tap->start();
    std::size_t pushed = 0;
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(witness->waitForCount(pushed));  // nothing of the last round is still queued
        recorder->start(tap, kStart, EnvironmentSnapshot::empty());
        std::atomic<bool> go{true};
        std::thread pusher([&] {
            for (std::uint16_t code = 1; code < 2000 && go; ++code) pushed += source->push(press(code)) ? 1 : 0;
        });
        EXPECT_TRUE(waitUntil([&] { return recorder->eventCount() >= 10; }));
        const Recording recording = recorder->stop(kStart + 5000 * kMs, std::nullopt, std::nullopt, "");
        const std::int64_t countAtStop = recorder->eventCount();
        go = false;
        pusher.join();

        // Whatever was delivered before the stop, in order, once, with no holes.
        const auto codes = keyCodesOf(recording);
        ASSERT_GE(codes.size(), 10u);
        for (std::size_t i = 0; i < codes.size(); ++i) ASSERT_EQ(codes[i], i + 1) << "round " << round;
        EXPECT_EQ(recorder->eventCount(), countAtStop);
    }
}

}  // namespace
}  // namespace brevanor
