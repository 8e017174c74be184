#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "base/time/MonotonicClock.h"
#include "core/dispatch/SerialQueue.h"
#include "core/playback/PlaybackEngine.h"
#include "core/playback/PlaybackTimeline.h"
#include "platform/fake/FakeInputInjector.h"
#include "platform/fake/ManualMainQueue.h"

namespace brevanor {
namespace {

using Type = SyntheticInput::Type;
constexpr std::uint64_t kUs = 1'000;
constexpr int kTrials = 2'000;
constexpr std::uint16_t kKeysPerTrial = 8;

// Every event of a trial carries the trial's number: pointer events as their x,
// key events in their key code. So each posted event can be traced to its playback.
int trialOf(const SyntheticInput& input) {
    switch (input.type) {
        case Type::keyDown:
        case Type::keyUp:
        case Type::flagsChanged: return input.keyCode / kKeysPerTrial;
        default: return static_cast<int>(input.x);
    }
}

std::vector<ScheduledAction> randomSchedule(std::mt19937_64& rng, int trial) {
    const auto pick = [&rng](std::uint64_t n) { return std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng); };
    const double x = trial;
    const auto code = [&] { return static_cast<std::uint16_t>(trial * kKeysPerTrial + pick(kKeysPerTrial)); };
    constexpr std::pair<MouseButton, std::int64_t> kButtons[] = {
        {MouseButton::left, 0}, {MouseButton::right, 1}, {MouseButton::middle, 2}, {MouseButton::other, 5}};

    std::vector<ScheduledAction> actions;
    std::uint64_t offset = 0;
    const std::uint64_t count = 1 + pick(14);
    for (std::uint64_t i = 0; i < count; ++i) {
        // Often several actions share a deadline, so stops also land inside catch-up batches.
        if (pick(3) != 0) offset += pick(400) * kUs;
        const auto [button, number] = kButtons[pick(4)];
        switch (pick(7)) {
            case 0: actions.push_back({offset, PlaybackAction::moveCursor(x, double(i))}); break;
            case 1: actions.push_back({offset, PlaybackAction::mouseDown({button, number, x, 0, 1, 0})}); break;
            case 2: actions.push_back({offset, PlaybackAction::mouseUp({button, number, x, 0, 1, 0})}); break;
            case 3: actions.push_back({offset, PlaybackAction::keyDown({code(), 0})}); break;
            case 4: actions.push_back({offset, PlaybackAction::keyUp({code(), 0})}); break;
            case 5: actions.push_back({offset, PlaybackAction::flagsChanged({code(), 0x20000, pick(2) == 0})}); break;
            default: actions.push_back({offset, PlaybackAction::scroll({x, 0, {0, 1, 0, 0, false, 0, 0}, 0})}); break;
        }
    }
    return actions;
}

bool isRelease(const SyntheticInput& input) {
    return input.type == Type::mouseUp || input.type == Type::keyUp ||
           (input.type == Type::flagsChanged && !input.keyIsDown);
}

// Presses without their release among `inputs`.
std::set<std::pair<int, std::int64_t>> stillHeld(const std::vector<SyntheticInput>& inputs) {
    std::set<std::pair<int, std::int64_t>> held;  // (0 button / 1 key / 2 modifier, number or code)
    for (const SyntheticInput& input : inputs) {
        const bool isButton = input.type == Type::mouseDown || input.type == Type::mouseUp;
        const int kind = isButton ? 0 : input.type == Type::flagsChanged ? 2 : 1;
        const std::pair pressed{kind, isButton ? input.buttonNumber : std::int64_t{input.keyCode}};
        if (isRelease(input)) {
            held.erase(pressed);
        } else if (isButton || input.type == Type::keyDown || input.type == Type::flagsChanged) {
            held.insert(pressed);
        }
    }
    return held;
}

// Returns once `queue` has run everything submitted before.
void drain(SerialQueue& queue) {
    std::promise<void> drained;
    queue.async([&drained] { drained.set_value(); });
    drained.get_future().wait();
}

void spinUntil(std::uint64_t deadline) {
    while (MonotonicClock::now() < deadline) std::this_thread::yield();
}

// When the stop lands: anywhere, or close to the natural end, where it races the finish.
std::uint64_t randomStopAfter(std::mt19937_64& rng, const std::vector<ScheduledAction>& actions) {
    if (std::uniform_int_distribution<int>(0, 1)(rng) == 0) {
        return std::uniform_int_distribution<std::uint64_t>(0, 6'000)(rng) * kUs;
    }
    const std::uint64_t end = PlaybackTimeline::duration(actions);
    return end + std::uniform_int_distribution<std::uint64_t>(0, 400)(rng) * kUs -
           std::min<std::uint64_t>(end, 200 * kUs);
}

// Plays random schedules on one engine, as the application does, and ends each
// one at a random moment: a stop from another thread, two racing stops, a stop
// from the starting thread, destroying the engine, or the natural end.
TEST(PlaybackStopConcurrency, RandomStopsReleaseEveryPressAndPostNothingAfterFinishing) {
    const auto seed = static_cast<std::uint64_t>(std::random_device{}());
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(seed);

    auto injector = std::make_shared<FakeInputInjector>();
    // Posting takes a random while of up to 100 us, which widens the windows in which a
    // stop can overtake a step that is already under way.
    injector->onPost([state = std::make_shared<std::uint64_t>(seed)](const SyntheticInput&) {
        *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
        spinUntil(MonotonicClock::now() + (*state >> 33) % (100 * kUs));
    });
    auto poster = std::make_shared<EventPoster>(injector);
    auto mainQueue = std::make_shared<ManualMainQueue>();
    std::map<int, int> finishedCalls;  // trial -> onFinished calls
    auto queue = std::make_shared<SerialQueue>("com.brevanor.test.playback", SerialQueue::Priority::userInteractive);
    auto engine = PlaybackEngine::make(poster, mainQueue, queue);

    struct TrialPosts {
        std::size_t first = 0;      // the trial's first post
        std::size_t end = 0;        // the count of posts when it had finished
        std::size_t afterStop = 0;  // the count of posts when its first stop returned
    };
    std::vector<TrialPosts> trials;
    for (int trial = 0; trial < kTrials; ++trial) {
        const auto actions = randomSchedule(rng, trial);
        const std::size_t first = injector->postedCount();
        const std::uint64_t stopAfter = randomStopAfter(rng, actions);
        const int mode = std::uniform_int_distribution<int>(0, 9)(rng);
        const bool repeated = std::uniform_int_distribution<int>(0, 4)(rng) == 0;

        engine->setOnFinished([&finishedCalls, trial](bool) { ++finishedCalls[trial]; });
        const std::uint64_t startedAt = MonotonicClock::now();
        engine->start(actions, PlaybackOptions(1.0, repeated ? 3 : 1, 0, CursorMode::absolute, 0));
        std::vector<std::thread> stoppers;
        const int stopperCount = mode <= 3 ? 1 : mode <= 5 ? 2 : 0;
        std::vector<std::size_t> countsAfterStop(stopperCount + 1, std::numeric_limits<std::size_t>::max());
        for (int i = 0; i < stopperCount; ++i) {
            stoppers.emplace_back([engine, injector, at = startedAt + stopAfter, &count = countsAfterStop[i]] {
                spinUntil(at);
                engine->stop();
                count = injector->postedCount();
            });
        }
        if (mode == 6) {
            engine->stop();
            countsAfterStop.back() = injector->postedCount();
        }
        std::weak_ptr<PlaybackEngine> destroyed;
        if (mode == 7) {
            spinUntil(startedAt + stopAfter);
            destroyed = engine;
            engine.reset();  // quitting: the engine releases what it held
        }
        for (auto& stopper : stoppers) stopper.join();

        if (engine) {
            // The end is decided on the engine's queue, which then reports it to the main queue.
            while (engine->isPlaying() && MonotonicClock::now() < startedAt + 10'000'000'000) std::this_thread::yield();
            drain(*queue);
            mainQueue->runReady();
            ASSERT_GT(finishedCalls[trial], 0) << "trial " << trial;
        } else {
            // A step under way may hold the last reference: it ends, then the engine releases
            // from the queue's thread.
            drain(*queue);
            ASSERT_TRUE(destroyed.expired()) << "trial " << trial;
            engine = PlaybackEngine::make(poster, mainQueue, queue);
        }
        const std::size_t end = injector->postedCount();
        trials.push_back(
            {first, end, std::min(end, *std::min_element(countsAfterStop.begin(), countsAfterStop.end()))});
    }
    drain(*queue);  // a stray step of the last playback would have posted by then
    mainQueue->runReady();

    const auto posted = injector->postedInputs();
    EXPECT_EQ(posted.size(), trials.back().end) << "posted after the last playback finished";
    for (int trial = 0; trial < kTrials; ++trial) {
        const TrialPosts& t = trials[trial];
        EXPECT_LE(finishedCalls[trial], 1) << "trial " << trial << " finished more than once";
        const std::vector<SyntheticInput> own(posted.begin() + t.first, posted.begin() + t.end);
        EXPECT_TRUE(stillHeld(own).empty()) << "trial " << trial << " left something pressed";
        for (std::size_t i = t.first; i < t.end; ++i) {
            ASSERT_EQ(trialOf(posted[i]), trial) << "event " << i << " posted after its playback finished";
        }
        // After a stop returns only releases follow, and at most the one action whose post was under way.
        const auto actionsAfterStop = std::count_if(posted.begin() + t.afterStop, posted.begin() + t.end,
                                                    [](const SyntheticInput& input) { return !isRelease(input); });
        EXPECT_LE(actionsAfterStop, 1) << "trial " << trial << " went on playing after its stop";
    }
}

}  // namespace
}  // namespace brevanor
