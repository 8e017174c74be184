#include <gtest/gtest.h>

#include <limits>

#include "base/time/MonotonicClock.h"
#include "core/playback/PlaybackEngine.h"
#include "platform/fake/FakeInputInjector.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/fake/ManualTimedQueue.h"

namespace brevanor {
namespace {

using Type = SyntheticInput::Type;
constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kSecond = 1'000 * kMs;
constexpr std::uint64_t kStart = 1'000 * kSecond;  // the clock when a test begins

ScheduledAction keyDownAt(std::uint64_t offset, std::uint16_t code) {
    return {offset, PlaybackAction::keyDown({code, 0})};
}
ScheduledAction keyUpAt(std::uint64_t offset, std::uint16_t code) { return {offset, PlaybackAction::keyUp({code, 0})}; }

// What the poster makes of a key going down or up; a modifier's goes up.
SyntheticInput keyInput(Type type, std::uint16_t code) {
    return {.type = type, .keyCode = code, .keyIsDown = type == Type::keyDown};
}

PlaybackOptions repeating(std::optional<std::int64_t> count, std::uint64_t delayNanos = 0) {
    return PlaybackOptions(1.0, count, delayNanos, CursorMode::absolute, 0);
}

// The engine runs on a queue whose clock the test moves; every post is noted
// with the time it went out, in milliseconds.
class PlaybackEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine_->setOnFinished([this](bool completed) { finished_.push_back(completed); });
        engine_->setOnProgress([this](const PlaybackEngine::Progress& p) { progress_.push_back(p); });
        injector_->onPost([this](const SyntheticInput&) {
            postedAtMs_.push_back((queue_->now() - kStart) / kMs);
            // A post that holds the queue up: the clock runs on meanwhile.
            if (postedAtMs_.size() == stallAtPost_) queue_->advanceWithoutRunning(stallNanos_);
        });
    }

    // Moves the engine's clock and then delivers its reports.
    void advance(std::uint64_t nanos) {
        queue_->advanceBy(nanos);
        mainQueue_->runReady();
    }

    std::vector<bool> finished_;
    std::vector<PlaybackEngine::Progress> progress_;
    std::vector<std::uint64_t> postedAtMs_;
    std::size_t stallAtPost_ = 0;  // 1-based; 0 never stalls
    std::uint64_t stallNanos_ = 0;
    std::shared_ptr<FakeInputInjector> injector_ = std::make_shared<FakeInputInjector>();
    std::shared_ptr<EventPoster> poster_ = std::make_shared<EventPoster>(injector_);
    std::shared_ptr<ManualMainQueue> mainQueue_ = std::make_shared<ManualMainQueue>();
    std::shared_ptr<ManualTimedQueue> queue_ = std::make_shared<ManualTimedQueue>(kStart);
    std::shared_ptr<PlaybackEngine> engine_ = PlaybackEngine::make(poster_, mainQueue_, queue_);
};

// An empty list finishes at once, releasing what is held; an idle stop's
// onFinished would have come before its end: the queue keeps order.
TEST_F(PlaybackEngineTest, StopWhileIdleDoesNothingEmptyListsFinishAtOnceAndStartWhilePlayingIsIgnored) {
    engine_->stop();
    EXPECT_FALSE(engine_->isPlaying());
    poster_->perform(PlaybackAction::keyDown({9, 0}));
    engine_->start({}, {});
    advance(0);
    EXPECT_EQ(finished_, std::vector<bool>{true});
    EXPECT_TRUE(progress_.empty());
    EXPECT_EQ(injector_->postedInputs(),
              (std::vector<SyntheticInput>{keyInput(Type::keyDown, 9), keyInput(Type::keyUp, 9)}));
    injector_->clear();
    postedAtMs_.clear();

    engine_->start({keyDownAt(0, 1), keyUpAt(30 * kMs, 1)}, {});
    EXPECT_TRUE(engine_->isPlaying());
    engine_->start({keyDownAt(0, 2)}, {});
    advance(29 * kMs);
    EXPECT_TRUE(engine_->isPlaying());
    advance(kMs);
    EXPECT_FALSE(engine_->isPlaying());

    EXPECT_EQ(finished_, (std::vector<bool>{true, true}));
    EXPECT_EQ(injector_->postedInputs(),
              (std::vector<SyntheticInput>{keyInput(Type::keyDown, 1), keyInput(Type::keyUp, 1)}));
    EXPECT_EQ(postedAtMs_, (std::vector<std::uint64_t>{0, 30}));
}

// Two runs of actions at 0, 10, 20 and 200 ms with 300 ms between them; the post
// at `stallAtPost` (1-based, 0: none) holds the queue up for 50 ms.
struct StallCase {
    std::size_t stallAtPost;
    std::vector<std::uint64_t> postedAtMs;
};
void PrintTo(const StallCase& c, std::ostream* out) { *out << "stall at post " << c.stallAtPost; }

class PlaybackEngineStallTest : public PlaybackEngineTest, public ::testing::WithParamInterface<StallCase> {};

TEST_P(PlaybackEngineStallTest, OverdueActionsGoOutAtOnceAndEachPauseStartsWhenTheRunEnded) {
    stallAtPost_ = GetParam().stallAtPost;
    stallNanos_ = 50 * kMs;
    engine_->start({keyDownAt(0, 1), keyUpAt(10 * kMs, 1), keyDownAt(20 * kMs, 2), keyDownAt(200 * kMs, 3)},
                   repeating(2, 300 * kMs));
    advance(2 * kSecond);
    EXPECT_EQ(finished_, std::vector<bool>{true});

    const auto posted = injector_->postedInputs();
    // Eight actions, then the releases of keys 2 and 3, which the last run left down.
    ASSERT_EQ(posted.size(), 10u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(posted[i], posted[i + 4]);
    EXPECT_EQ(posted[8].type, Type::keyUp);
    EXPECT_EQ(posted[9].type, Type::keyUp);
    EXPECT_EQ(postedAtMs_, GetParam().postedAtMs);
}

INSTANTIATE_TEST_SUITE_P(
    Stalls, PlaybackEngineStallTest,
    ::testing::Values(StallCase{0, {0, 10, 20, 200, 500, 510, 520, 700, 700, 700}},
                      // The two overdue actions go out together; the rest keep their place on the anchor.
                      StallCase{1, {0, 50, 50, 200, 500, 510, 520, 700, 700, 700}},
                      // The pause counts from when the run's last action went out, late.
                      StallCase{4, {0, 10, 20, 200, 550, 560, 570, 750, 750, 750}}));

// A stall before a run's first input event moves the run instead, so that its gaps
// stay as recorded; each run alike. (One after it is caught up: the stall cases above.)
TEST_F(PlaybackEngineTest, AStallBeforeTheRunsFirstInputMovesTheRun) {
    stallAtPost_ = 1;  // the cursor's placement
    stallNanos_ = 50 * kMs;
    const ScheduledAction placement{0, PlaybackAction::moveCursor(5, 5)};
    engine_->start({placement, keyDownAt(2 * kMs, 1), keyUpAt(12 * kMs, 1), keyDownAt(200 * kMs, 2)},
                   repeating(2, 300 * kMs));
    advance(2 * kSecond);
    EXPECT_EQ(finished_, std::vector<bool>{true});
    // The second run starts 300 ms after the first one's moved end; key 2 is released at the end.
    EXPECT_EQ(postedAtMs_, (std::vector<std::uint64_t>{0, 50, 60, 248, 548, 550, 560, 748, 748}));
}

TEST_F(PlaybackEngineTest, EndlessRepeatsRunUntilStoppedWithoutATotal) {
    engine_->start({keyDownAt(0, 1), keyUpAt(5 * kMs, 1)}, repeating(std::nullopt));
    advance(18 * kMs);
    engine_->stop();
    advance(0);
    EXPECT_EQ(finished_, std::vector<bool>{false});
    // Runs start at 0, 5, 10 and 15 ms; the stop comes with key 1 down.
    EXPECT_EQ(injector_->postedCount(), 8u);
    EXPECT_EQ(progress_, (std::vector<PlaybackEngine::Progress>{
                             {1, std::nullopt, 0}, {2, std::nullopt, 0}, {3, std::nullopt, 0}, {4, std::nullopt, 0}}));
}

TEST_F(PlaybackEngineTest, ProgressStartsEachRunAtOnceAndComesEvery100Ms) {
    std::vector<ScheduledAction> actions;
    for (std::uint16_t i = 0; i < 36; ++i) actions.push_back({i * 10 * kMs, PlaybackAction::moveCursor(i, i)});
    engine_->start(actions, repeating(2));
    advance(kSecond);
    EXPECT_EQ(finished_, std::vector<bool>{true});
    std::vector<PlaybackEngine::Progress> expected;
    for (std::int64_t run : {1, 2}) {
        for (std::uint64_t elapsed : {0, 100, 200, 300}) expected.push_back({run, 2, elapsed * kMs});
    }
    EXPECT_EQ(progress_, expected);
}

TEST_F(PlaybackEngineTest, TheMostRunsAreCountedAndTheLongestPauseWaitsItsHour) {
    RecordingSettings settings;
    settings.repeatCount = 20'000;
    settings.delayBetweenRepeatsSec = 3600;
    engine_->start({keyDownAt(0, 1), keyUpAt(kMs, 1)}, PlaybackOptions(settings));
    advance(kMs);
    EXPECT_EQ(progress_.back(), (PlaybackEngine::Progress{2, 9999, 0}));
    advance(3600 * kSecond - kMs);
    EXPECT_EQ(injector_->postedCount(), 2u);
    advance(kMs);
    EXPECT_EQ(injector_->postedCount(), 3u);
    engine_->stop();
    advance(0);
    EXPECT_EQ(finished_, std::vector<bool>{false});
}

// A deadline that wrapped around would be in the past and fire at once; an
// engine destroyed while playing releases what it held and reports no end.
TEST_F(PlaybackEngineTest, DeadlinesPastTheClockRangeNeverFireAndDestroyingTheEngineReleasesEverything) {
    engine_->start({{0, PlaybackAction::mouseDown({MouseButton::right, 1, 1, 2, 1, 0})},
                    {std::numeric_limits<std::uint64_t>::max() - 10,
                     PlaybackAction::mouseUp({MouseButton::right, 1, 1, 2, 1, 0})}},
                   {});
    advance(std::numeric_limits<std::uint64_t>::max() / 2);
    EXPECT_EQ(injector_->postedCount(), 1u);
    engine_.reset();
    EXPECT_EQ(
        injector_->postedInputs().back(),
        (SyntheticInput{
            .type = Type::mouseUp, .x = 1, .y = 2, .button = MouseButton::right, .buttonNumber = 1, .clickCount = 1}));
    advance(std::numeric_limits<std::uint64_t>::max() / 2);
    EXPECT_EQ(injector_->postedCount(), 2u);
    EXPECT_TRUE(finished_.empty());
}

}  // namespace
}  // namespace brevanor
