// The capture and playback cores against the real X11 backend: a recorder
// listening while Brevanor replays records nothing of the replay, and whatever
// a playback pressed is up again once it ends or is stopped.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>


#include "base/platform/PlatformServices.h"
#include "base/time/MonotonicClock.h"
#include "core/capture/EventRecorder.h"
#include "core/capture/InputEventTap.h"
#include "core/dispatch/SerialQueue.h"
#include "core/playback/EventPoster.h"
#include "core/playback/PlaybackEngine.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/fake/ManualTimedQueue.h"
#include "tests/support/WaitUntil.h"
#include "tests/x11/XvfbSession.h"

namespace brevanor::testing {
namespace {

constexpr std::uint64_t kMillisecond = 1'000'000;

// Playback that presses a button and two keys and never lets go of them itself.
std::vector<ScheduledAction> pressesWithoutReleases() {
    PlaybackAction::Button left{MouseButton::left, 0, 200, 150, 1, 0};
    return {
        {0, PlaybackAction::moveCursor(200, 150)},
        {5 * kMillisecond, PlaybackAction::mouseDown(left)},
        {15 * kMillisecond, PlaybackAction::moveCursor(260, 190)},
        {25 * kMillisecond, PlaybackAction::keyDown({0, 0})},                    // A
        {35 * kMillisecond, PlaybackAction::flagsChanged({56, 0x20000, true})},  // left Shift
        {45 * kMillisecond, PlaybackAction::keyDown({1, 0x20000})},              // S
    };
}

class ReplayWhileRecording : public ::testing::Test {
protected:
    void SetUp() override {
        if (!session_.isRunning()) GTEST_SKIP() << session_.failure();
        services_ = makePlatformServices(mainQueue_);
        tap_ = std::make_shared<InputEventTap>(services_.inputSource);
        tap_->start();
        recorder_ = std::make_shared<EventRecorder>(mainQueue_, std::make_shared<ManualTimedQueue>(),
                                                    services_.secureInput, [] { return EnvironmentSnapshot::empty(); });
        engine_ = PlaybackEngine::make(std::make_shared<EventPoster>(services_.injector), mainQueue_,
                                       std::make_shared<SerialQueue>("com.brevanor.test.playback"));
        engine_->setOnFinished([this](bool completed) {
            finished_ = true;
            completed_ = completed;
        });
    }

    void TearDown() override {
        if (tap_) tap_->stop();
    }

    // Drains the main queue until playback has reported its end.
    bool waitForFinish() {
        return waitUntil([&] {
            mainQueue_->runReady();
            return finished_;
        });
    }

    // Waits until the server holds no key or button down, as another client sees it.
    bool waitUntilNothingHeld() {
        return waitUntil([&] { return session_.heldKeysAndButtons() == 0; });
    }

    XvfbSession session_;
    std::shared_ptr<ManualMainQueue> mainQueue_ = std::make_shared<ManualMainQueue>();
    PlatformServices services_;
    std::shared_ptr<InputEventTap> tap_;
    std::shared_ptr<EventRecorder> recorder_;
    std::shared_ptr<PlaybackEngine> engine_;
    bool finished_ = false;
    bool completed_ = false;
};

// Sees the listener's events after the recorder, on the same delivery queue: once it
// has seen a key come up, the recorder has taken that release too.
struct KeyUpSeen final : InputEventConsumer {
    void consume(const TapEvent& event) override {
        if (!event.isSynthetic && event.kind.type == TapEvent::Kind::Type::keyUp) seen = true;
    }
    std::atomic<bool> seen = false;
};

TEST_F(ReplayWhileRecording, RecordsTheUserButNothingOfTheReplayWhichLeavesNothingHeld) {
    recorder_->start(tap_, MonotonicClock::now(), EnvironmentSnapshot::empty());
    const auto keyUp = std::make_shared<KeyUpSeen>();
    tap_->addConsumer(keyUp);
    engine_->start(pressesWithoutReleases(), PlaybackOptions{});
    ASSERT_TRUE(waitForFinish());
    EXPECT_TRUE(completed_);
    EXPECT_TRUE(waitUntilNothingHeld()) << "the end of the playback let go of every press";
    // Another program's input during the same recording is the user's and is kept. The
    // server sends it after the replay's events, so once it is in, so is all of the replay.
    ASSERT_EQ(session_.run("xdotool key z"), 0);
    // Not a count of events: an idle gap before the press is one of them.
    ASSERT_TRUE(waitUntil([&] { return keyUp->seen.load(); }));
    const Recording recording = recorder_->stop(MonotonicClock::now(), std::nullopt, std::nullopt, "");

    std::vector<RecordingEvent> input;
    std::copy_if(recording.events.begin(), recording.events.end(), std::back_inserter(input),
                 [](const RecordingEvent& e) { return !e.isIdleGap(); });
    ASSERT_EQ(input.size(), 2u);
    EXPECT_EQ(input[0].kind(), RecordingEvent::Kind::keyDown);
    EXPECT_EQ(input[0].key().keyCode, 6);  // Z
    EXPECT_EQ(input[1].kind(), RecordingEvent::Kind::keyUp);
}

TEST_F(ReplayWhileRecording, EveryPressIsReleasedWhenPlaybackIsStopped) {
    std::vector<ScheduledAction> actions = pressesWithoutReleases();
    actions.push_back({60 * 1000 * kMillisecond, PlaybackAction::moveCursor(10, 10)});  // a minute later
    engine_->start(actions, PlaybackOptions{});
    ASSERT_TRUE(waitUntil([&] { return session_.heldKeysAndButtons() == 4; }));  // the button, A, S and Shift
    engine_->stop();
    ASSERT_TRUE(waitForFinish());
    EXPECT_FALSE(completed_);
    EXPECT_TRUE(waitUntilNothingHeld());
}

}  // namespace
}  // namespace brevanor::testing
