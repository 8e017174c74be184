#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "base/time/MonotonicClock.h"
#include "core/playback/PlaybackEngine.h"
#include "platform/fake/FakeInputInjector.h"
#include "tests/playback/WaitableMainQueue.h"

namespace brevanor {
namespace {

using Type = SyntheticInput::Type;
constexpr std::uint64_t kMs = 1'000'000;

ScheduledAction keyDownAt(std::uint64_t offset, std::uint16_t code) {
    return {offset, PlaybackAction::keyDown({code, 0})};
}
ScheduledAction keyUpAt(std::uint64_t offset, std::uint16_t code) { return {offset, PlaybackAction::keyUp({code, 0})}; }

PlaybackOptions repeating(std::optional<std::int64_t> count, std::uint64_t delayNanos = 0) {
    return PlaybackOptions(1.0, count, delayNanos, CursorMode::absolute, 0);
}

// Every engine test runs the engine's own queue thread.
class PlaybackEngineConcurrency : public ::testing::Test {
protected:
    void SetUp() override {
        engine_->setOnFinished([this](bool completed) { finished_.push_back(completed); });
        engine_->setOnProgress([this](const PlaybackEngine::Progress& p) { progress_.push_back(p); });
    }

    bool waitForFinish(std::size_t count = 1) {
        return mainQueue_->runUntil([&] { return finished_.size() >= count; });
    }

    std::vector<bool> finished_;
    std::vector<PlaybackEngine::Progress> progress_;
    std::shared_ptr<FakeInputInjector> injector_ = std::make_shared<FakeInputInjector>();
    std::shared_ptr<EventPoster> poster_ = std::make_shared<EventPoster>(injector_);
    std::shared_ptr<WaitableMainQueue> mainQueue_ = std::make_shared<WaitableMainQueue>();
    std::shared_ptr<PlaybackEngine> engine_ = PlaybackEngine::make(poster_, mainQueue_);
};

TEST_F(PlaybackEngineConcurrency, StopWhileIdleDoesNothingAndStartWhilePlayingIsIgnored) {
    engine_->stop();
    EXPECT_FALSE(engine_->isPlaying());

    engine_->start({keyDownAt(0, 1), keyUpAt(30 * kMs, 1)}, {});
    EXPECT_TRUE(engine_->isPlaying());
    engine_->start({keyDownAt(0, 2)}, {});
    ASSERT_TRUE(waitForFinish());
    EXPECT_FALSE(engine_->isPlaying());

    // An idle stop's onFinished would have come first: the queue keeps order.
    EXPECT_EQ(finished_, std::vector<bool>{true});
    const auto posted = injector_->postedInputs();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].keyCode, 1);
    EXPECT_EQ(posted[1].keyCode, 1);
}

TEST_F(PlaybackEngineConcurrency, RepeatsWaitTheirPauseAfterTheRunsEnd) {
    const std::uint64_t started = MonotonicClock::now();
    engine_->start({keyDownAt(0, 1), keyUpAt(10 * kMs, 1), keyDownAt(20 * kMs, 2)}, repeating(2, 300 * kMs));
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(finished_, std::vector<bool>{true});

    const auto posted = injector_->posted();
    // Six actions, then the release of key 2, which the last run left down.
    ASSERT_EQ(posted.size(), 7u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(posted[i].input, posted[i + 3].input);
    // The pause counts from the end of the run, even when its last action went out late.
    EXPECT_GE(posted[3].atNanos - posted[2].atNanos, 300 * kMs);
    // Nothing goes out before its time; a late first action does not push the others back.
    EXPECT_GE(posted[1].atNanos - started, 10 * kMs);
    EXPECT_EQ(posted[6].input.type, Type::keyUp);
    EXPECT_EQ(posted[6].input.keyCode, 2);
}

TEST_F(PlaybackEngineConcurrency, EndlessRepeatsRunUntilStoppedWithoutATotal) {
    engine_->start({keyDownAt(0, 1), keyUpAt(5 * kMs, 1)}, repeating(std::nullopt));
    ASSERT_TRUE(injector_->waitUntilPosted(8));
    engine_->stop();
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(finished_, std::vector<bool>{false});

    ASSERT_GE(progress_.size(), 4u);
    for (std::size_t i = 0; i < progress_.size(); ++i) {
        EXPECT_EQ(progress_[i].repeatTotal, std::nullopt);
        if (i > 0) {
            EXPECT_GE(progress_[i].repeatIndex, progress_[i - 1].repeatIndex);
        }
    }
    EXPECT_GE(progress_.back().repeatIndex, 4);
}

TEST_F(PlaybackEngineConcurrency, StopMidRunReleasesWhatIsHeldAndPostsNothingMore) {
    engine_->start({{0, PlaybackAction::mouseDown({MouseButton::left, 0, 5, 6, 1, 0})},
                    keyDownAt(10 * kMs, 12),
                    {20 * kMs, PlaybackAction::flagsChanged({56, 0x20000, true})},
                    keyUpAt(10'000 * kMs, 12)},
                   {});
    ASSERT_TRUE(injector_->waitUntilPosted(3));
    engine_->stop();
    EXPECT_FALSE(engine_->isPlaying());
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(finished_, std::vector<bool>{false});

    const auto posted = injector_->postedInputs();
    ASSERT_EQ(posted.size(), 6u);
    EXPECT_EQ(posted[3].type, Type::mouseUp);
    EXPECT_EQ((Point{posted[3].x, posted[3].y}), (Point{5, 6}));
    EXPECT_EQ(posted[4].type, Type::keyUp);
    EXPECT_EQ(posted[5].type, Type::flagsChanged);
    EXPECT_FALSE(posted[5].keyIsDown);

    // The engine plays again after a stop.
    engine_->start({keyDownAt(0, 3), keyUpAt(kMs, 3)}, {});
    ASSERT_TRUE(waitForFinish(2));
    EXPECT_EQ(finished_, (std::vector<bool>{false, true}));
    EXPECT_EQ(injector_->postedCount(), 8u);
}

TEST_F(PlaybackEngineConcurrency, LateWakeUpPostsEveryOverdueActionTogetherInOrder) {
    // The first post holds the engine's queue for 50 ms.
    injector_->onPost([stalled = std::make_shared<bool>(false)](const SyntheticInput&) {
        if (!std::exchange(*stalled, true)) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    });
    std::vector<ScheduledAction> actions;
    for (std::uint16_t i = 0; i < 5; ++i) actions.push_back(keyDownAt(i * 10 * kMs, i));
    actions.push_back(keyDownAt(200 * kMs, 5));
    const std::uint64_t started = MonotonicClock::now();
    engine_->start(actions, {});
    ASSERT_TRUE(waitForFinish());

    const auto posted = injector_->posted();
    ASSERT_EQ(posted.size(), 6u + 6u);  // the actions, then the releases of the six keys
    for (std::uint16_t i = 0; i < 6; ++i) EXPECT_EQ(posted[i].input.keyCode, i);
    EXPECT_GE(posted[1].atNanos - posted[0].atNanos, 50 * kMs);
    // Due 30 ms apart, posted in one catch-up tick.
    EXPECT_LT(posted[4].atNanos - posted[1].atNanos, 10 * kMs);
    // Later actions keep their place on the anchor: not shifted by the stall.
    EXPECT_GE(posted[5].atNanos - started, 200 * kMs);
    EXPECT_LT(posted[5].atNanos - posted[0].atNanos, 240 * kMs);
}

TEST_F(PlaybackEngineConcurrency, ProgressStartsEachRunAtOnceAndComesAtMostEvery100Ms) {
    std::vector<ScheduledAction> actions;
    for (std::uint16_t i = 0; i < 36; ++i) actions.push_back({i * 10 * kMs, PlaybackAction::moveCursor(i, i)});
    engine_->start(actions, repeating(2));
    ASSERT_TRUE(waitForFinish());

    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.front(), (PlaybackEngine::Progress{1, 2, 0}));
    bool sawSecondRun = false;
    for (std::size_t i = 1; i < progress_.size(); ++i) {
        EXPECT_EQ(progress_[i].repeatTotal, 2);
        if (progress_[i].repeatIndex != progress_[i - 1].repeatIndex) {
            EXPECT_EQ(progress_[i], (PlaybackEngine::Progress{2, 2, 0}));
            sawSecondRun = true;
        } else {
            EXPECT_GE(progress_[i].elapsedNanos - progress_[i - 1].elapsedNanos, 100 * kMs);
        }
    }
    EXPECT_TRUE(sawSecondRun);
    EXPECT_LE(progress_.size(), 2u * 4u);
}

TEST_F(PlaybackEngineConcurrency, EmptyListFinishesAtOnceReleasingWhatIsHeld) {
    poster_->perform(PlaybackAction::keyDown({9, 0}));
    engine_->start({}, {});
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(finished_, std::vector<bool>{true});
    EXPECT_TRUE(progress_.empty());
    const auto posted = injector_->postedInputs();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].type, Type::keyUp);
    EXPECT_EQ(posted[1].keyCode, 9);
}

TEST_F(PlaybackEngineConcurrency, LongestPauseWaitsIdleAndStopsAtOnce) {
    RecordingSettings settings;
    settings.repeatCount = 20'000;
    settings.delayBetweenRepeatsSec = 3600;
    engine_->start({keyDownAt(0, 1), keyUpAt(kMs, 1)}, PlaybackOptions(settings));
    ASSERT_TRUE(mainQueue_->runUntil([&] { return !progress_.empty() && progress_.back().repeatIndex == 2; }));
    EXPECT_EQ(progress_.back(), (PlaybackEngine::Progress{2, 9999, 0}));

    engine_->stop();
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(finished_, std::vector<bool>{false});
    EXPECT_EQ(injector_->postedCount(), 2u);
}

TEST_F(PlaybackEngineConcurrency, RepeatCountZeroPlaysOnce) {
    RecordingSettings settings;
    settings.repeatCount = 0;
    engine_->start({keyDownAt(0, 1), keyUpAt(kMs, 1)}, PlaybackOptions(settings));
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(finished_, std::vector<bool>{true});
    EXPECT_EQ(injector_->postedCount(), 2u);
}

TEST_F(PlaybackEngineConcurrency, DeadlinesPastTheClockRangeNeverFire) {
    engine_->start({keyDownAt(0, 1), keyUpAt(std::numeric_limits<std::uint64_t>::max() - 10, 1)}, {});
    ASSERT_TRUE(injector_->waitUntilPosted(1));
    // A deadline that wrapped around would be in the past and fire at once.
    EXPECT_FALSE(injector_->waitUntilPosted(2, std::chrono::milliseconds(50)));
    engine_->stop();
    ASSERT_TRUE(waitForFinish());
    const auto posted = injector_->postedInputs();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].type, Type::keyUp);  // the stop's release
}

TEST_F(PlaybackEngineConcurrency, StopsFromManyThreadsFinishOnce) {
    engine_->start({keyDownAt(0, 1), keyUpAt(10'000 * kMs, 1)}, {});
    ASSERT_TRUE(injector_->waitUntilPosted(1));
    std::vector<std::thread> stoppers;
    for (int i = 0; i < 4; ++i) stoppers.emplace_back([this] { engine_->stop(); });
    for (auto& t : stoppers) t.join();
    ASSERT_TRUE(waitForFinish());
    mainQueue_->runUntil([] { return false; }, std::chrono::milliseconds(20));
    EXPECT_EQ(finished_, std::vector<bool>{false});
    EXPECT_EQ(injector_->postedCount(), 2u);
}

TEST_F(PlaybackEngineConcurrency, DestroyingTheEngineWhilePlayingReleasesEverything) {
    engine_->start({{0, PlaybackAction::mouseDown({MouseButton::right, 1, 1, 2, 1, 0})},
                    {10'000 * kMs, PlaybackAction::mouseUp({MouseButton::right, 1, 1, 2, 1, 0})}},
                   {});
    ASSERT_TRUE(injector_->waitUntilPosted(1));
    // The last owner may be a step running on the engine's queue; the release follows from there.
    engine_.reset();
    ASSERT_TRUE(injector_->waitUntilPosted(2));
    const auto posted = injector_->postedInputs();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[1].type, Type::mouseUp);
    EXPECT_EQ(posted[1].buttonNumber, 1);
    mainQueue_->runReady();
    EXPECT_TRUE(finished_.empty());
}

}  // namespace
}  // namespace brevanor
