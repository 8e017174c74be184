#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

#include "base/values/ModifierKeys.h"
#include "core/capture/EventRecorder.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/fake/ManualTimedQueue.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kSecond = 1'000 * kMs;
constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kStart = 500 * kSecond;  // monotonic time of the start
constexpr std::int32_t kOtherProcess = 0;

using Kind = TapEvent::Kind;

RecordingEvent gap(std::uint64_t t, std::uint64_t duration) { return RecordingEvent::idleGap({t, duration}); }
RecordingEvent keyDown(std::uint64_t t, std::uint16_t code, std::uint64_t flags = 0, bool repeat = false) {
    return RecordingEvent::keyDown({t, code, flags, repeat});
}
RecordingEvent keyUp(std::uint64_t t, std::uint16_t code, std::uint64_t flags = 0) {
    return RecordingEvent::keyUp({t, code, flags, false});
}
RecordingEvent modifier(std::uint64_t t, std::uint16_t code, std::uint64_t flags, bool down) {
    return RecordingEvent::flagsChanged({t, code, flags, down});
}
RecordingEvent path(std::uint64_t t, std::vector<PathPoint> points) {
    return RecordingEvent::mousePath({t, std::move(points)});
}

EnvironmentSnapshot environmentWithLayout(std::string layout) {
    EnvironmentSnapshot environment;
    environment.keyboardInputSourceID = std::move(layout);
    return environment;
}

class EventRecorderTest : public ::testing::Test {
protected:
    // Feeds one event `t` nanoseconds after the start, addressed to another process.
    void feed(std::uint64_t t, Kind kind, Point location = {}, std::uint64_t flags = 0) {
        recorder->consume(TapEvent{kind, kStart + t, location, flags, kOtherProcess, false});
    }
    void move(std::uint64_t t, double x, double y) { feed(t, Kind::mouseMoved(), {x, y}); }
    void start() { recorder->start(nullptr, kStart, EnvironmentSnapshot::empty()); }
    Recording stopAt(std::uint64_t t, std::optional<std::uint64_t> cutoff = std::nullopt,
                     std::optional<std::uint16_t> stopKey = std::nullopt) {
        return recorder->stop(kStart + t, cutoff ? std::optional(kStart + *cutoff) : std::nullopt, stopKey, "");
    }

    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<ManualTimedQueue> pollQueue = std::make_shared<ManualTimedQueue>();
    std::shared_ptr<FakeSecureInput> secureInput = std::make_shared<FakeSecureInput>();
    int captures = 0;
    std::function<EnvironmentSnapshot()> capture = [this] {
        ++captures;
        return environmentWithLayout("captured");
    };
    std::shared_ptr<EventRecorder> recorder =
        std::make_shared<EventRecorder>(mainQueue, pollQueue, secureInput, capture);
};

TEST_F(EventRecorderTest, IgnoresSyntheticOwnEarlyAndLateInput) {
    start();
    EXPECT_TRUE(recorder->isRecording());
    recorder->consume(TapEvent{Kind::keyDown(1, false), kStart + 10 * kMs, {}, 0, kOtherProcess, true});
    recorder->consume(TapEvent{Kind::keyDown(2, false), kStart + 20 * kMs, {}, 0, getpid(), false});
    recorder->consume(TapEvent{Kind::keyDown(3, false), kStart - 1, {}, 0, kOtherProcess, false});
    feed(0, Kind::keyDown(4, false));  // exactly at the start counts

    const Recording recording = stopAt(30 * kMs);
    EXPECT_FALSE(recorder->isRecording());
    feed(40 * kMs, Kind::keyDown(5, false));
    move(41 * kMs, 1, 1);
    EXPECT_EQ(recorder->eventCount(), 1);
    EXPECT_EQ(recording.events, std::vector{keyDown(0, 4)});
}

// A pause before the first event, between two events and after the last one
// becomes an idle gap once it is longer than 50 ms, and the leading and
// trailing ones are the trim.
TEST_F(EventRecorderTest, PausesOfMoreThan50MillisecondsBecomeIdleGaps) {
    start();
    feed(2 * kSecond, Kind::keyDown(1, false));
    feed(2050 * kMs, Kind::keyUp(1));  // exactly 50 ms: no gap
    feed(2100 * kMs + 1, Kind::keyDown(2, false));
    const Recording recording = stopAt(5100 * kMs + 1);
    EXPECT_EQ(recording.events, (std::vector{gap(0, 2 * kSecond), keyDown(2 * kSecond, 1), keyUp(2050 * kMs, 1),
                                             gap(2050 * kMs, 50 * kMs + 1), keyDown(2100 * kMs + 1, 2),
                                             gap(2100 * kMs + 1, 3 * kSecond)}));
    EXPECT_EQ(recording.trim, (TrimRange{2 * kSecond, 3 * kSecond}));
    EXPECT_EQ(recording.durationNanos(), 5100 * kMs + 1);
}

TEST_F(EventRecorderTest, ConvertsEveryKindWithItsFields) {
    start();
    const std::uint64_t shift = ModifierKeys::shiftMask;
    feed(0, Kind::mouseDown(MouseButton::right, 1, 2), {3, 4}, shift);
    feed(1 * kMs, Kind::mouseUp(MouseButton::right, 1, 1), {5, 6});
    feed(2 * kMs, Kind::scrollWheel({-1, 2, -30, 40, true, 1, 2}), {7, 8}, shift);
    feed(3 * kMs, Kind::keyDown(0, true), {}, shift);
    feed(4 * kMs, Kind::keyUp(0), {}, shift);
    feed(5 * kMs, Kind::flagsChanged(56), {}, shift);
    feed(6 * kMs, Kind::flagsChanged(60), {}, shift);  // left Shift released, right still down
    feed(7 * kMs, Kind::flagsChanged(60), {}, 0);
    const Recording recording = stopAt(8 * kMs);
    EXPECT_EQ(recording.events, (std::vector{
                                    RecordingEvent::mouseDown({0, MouseButton::right, 1, 3, 4, 2, shift}),
                                    RecordingEvent::mouseUp({1 * kMs, MouseButton::right, 1, 5, 6, 1, 0}),
                                    RecordingEvent::scroll({2 * kMs, 7, 8, {-1, 2, -30, 40, true, 1, 2}, shift}),
                                    keyDown(3 * kMs, 0, shift, true),
                                    keyUp(4 * kMs, 0, shift),
                                    modifier(5 * kMs, 56, shift, true),
                                    modifier(6 * kMs, 60, shift, true),
                                    modifier(7 * kMs, 60, 0, false),
                                }));
}

TEST_F(EventRecorderTest, MovesKeepAPointEvery8MillisecondsAndTwoPointsAwayAndTheRestingPlace) {
    start();
    for (std::uint64_t ms = 0; ms <= 30; ++ms) move(ms * kMs, static_cast<double>(ms), 0);
    EXPECT_EQ(recorder->eventCount(), 1);  // the open path
    EXPECT_EQ(
        stopAt(31 * kMs).events,
        std::vector{path(0, {{0, 0, 0}, {8 * kMs, 8, 0}, {16 * kMs, 16, 0}, {24 * kMs, 24, 0}, {30 * kMs, 30, 0}})});

    // Wiggles under two points are not kept.
    start();
    move(0, 100, 100);
    move(10 * kMs, 101, 100);
    move(20 * kMs, 100, 101.9);
    move(30 * kMs, 101.4, 101.4);  // 1.98 points away
    move(40 * kMs, 100.5, 100.5);
    feed(41 * kMs, Kind::keyDown(1, false));  // closes the path
    move(42 * kMs, 200, 200);
    move(50 * kMs, 202, 200);  // exactly two points: kept
    move(60 * kMs, 202.5, 200);
    move(70 * kMs, 202, 200);  // back where the last kept point is: nothing to add
    const Recording recording = stopAt(71 * kMs);
    EXPECT_EQ(recording.events, (std::vector{path(0, {{0, 100, 100}, {40 * kMs, 100.5, 100.5}}), keyDown(41 * kMs, 1),
                                             path(42 * kMs, {{0, 200, 200}, {8 * kMs, 202, 200}})}));
}

TEST_F(EventRecorderTest, APauseBetweenMovesStartsANewPathAfterAnIdleGapAndAClickClosesIt) {
    start();
    move(0, 0, 0);
    move(10 * kMs, 10, 0);
    move(60 * kMs, 20, 0);  // exactly 50 ms later: same path
    move(110 * kMs + 1, 30, 0);
    EXPECT_EQ(recorder->eventCount(), 3);
    EXPECT_EQ(stopAt(111 * kMs).events, (std::vector{path(0, {{0, 0, 0}, {10 * kMs, 10, 0}, {60 * kMs, 20, 0}}),
                                                     gap(60 * kMs, 50 * kMs + 1), path(110 * kMs + 1, {{0, 30, 0}})}));

    // A click closes the open path first.
    start();
    move(0, 0, 0);
    move(3 * kMs, 1, 0);  // not kept: too soon and too close
    EXPECT_EQ(recorder->eventCount(), 1);
    feed(5 * kMs, Kind::mouseDown(MouseButton::left, 0, 1), {1, 0});
    EXPECT_EQ(recorder->eventCount(), 2);
    const Recording recording = stopAt(6 * kMs);
    EXPECT_EQ(recording.events, (std::vector{path(0, {{0, 0, 0}, {3 * kMs, 1, 0}}),
                                             RecordingEvent::mouseDown({5 * kMs, MouseButton::left, 0, 1, 0, 1, 0})}));
}

TEST_F(EventRecorderTest, TheCutoffAndTheStopBoundWhatIsKept) {
    // The cutoff drops later input and shortens a trailing path...
    start();
    for (std::uint64_t ms = 0; ms <= 100; ms += 10) move(ms * kMs, static_cast<double>(ms), 0);
    std::vector<PathPoint> upToTheCutoff;
    for (std::uint64_t ms = 0; ms <= 50; ms += 10) upToTheCutoff.push_back({ms * kMs, static_cast<double>(ms), 0});
    EXPECT_EQ(stopAt(200 * kMs, 55 * kMs).events, std::vector{path(0, upToTheCutoff)});

    // ...and a trailing idle gap.
    start();
    feed(0, Kind::keyDown(1, false));
    feed(2 * kSecond, Kind::keyUp(1));
    Recording recording = stopAt(3 * kSecond, 1500 * kMs);
    EXPECT_EQ(recording.events, (std::vector{keyDown(0, 1), gap(0, 1500 * kMs)}));
    EXPECT_EQ(recording.durationNanos(), 1500 * kMs);
    EXPECT_EQ(recording.trim, (TrimRange{0, 1500 * kMs}));

    // Input stamped after the stop (a broken clock) is dropped.
    start();
    feed(10 * kMs, Kind::keyDown(1, false));
    feed(kMax - kStart, Kind::keyDown(2, false));
    recording = stopAt(kSecond);
    EXPECT_EQ(recording.events, (std::vector{keyDown(10 * kMs, 1), gap(10 * kMs, 990 * kMs)}));
    EXPECT_EQ(recording.durationNanos(), kSecond);

    // Stop and cutoff times before the start cut nothing.
    start();
    feed(0, Kind::keyDown(1, false));
    feed(10 * kMs, Kind::keyUp(1));
    EXPECT_EQ(recorder->stop(kStart - kSecond, kStart - 1, std::nullopt, "").events,
              (std::vector{keyDown(0, 1), keyUp(10 * kMs, 1)}));
}

TEST_F(EventRecorderTest, StopShortcutKeystrokesAndTheirModifierPressesAreDropped) {
    constexpr std::uint16_t kR = 15;
    const std::uint64_t control = ModifierKeys::controlMask;
    const std::uint64_t command = ModifierKeys::commandMask;
    start();
    feed(0, Kind::keyDown(0, false));
    feed(10 * kMs, Kind::keyUp(0));
    // The shortcut as people press it: modifiers first, the key a moment later.
    feed(1000 * kMs, Kind::flagsChanged(59), {}, control);
    feed(1050 * kMs, Kind::flagsChanged(55), {}, control | command);
    feed(1200 * kMs, Kind::keyDown(kR, false), {}, control | command);  // the cutoff
    feed(1300 * kMs, Kind::keyUp(kR), {}, control | command);
    const Recording recording = stopAt(1400 * kMs, 1200 * kMs, kR);
    // The pause before the shortcut reaches to the cutoff once the shortcut is gone.
    EXPECT_EQ(recording.events, (std::vector{keyDown(0, 0), keyUp(10 * kMs, 0), gap(10 * kMs, 1190 * kMs)}));
    EXPECT_EQ(recording.trim, (TrimRange{0, 1190 * kMs}));

    // A modifier released between the stop key's presses ends the dropping.
    start();
    feed(0, Kind::keyDown(7, false));
    feed(10 * kMs, Kind::flagsChanged(56), {}, ModifierKeys::shiftMask);
    feed(20 * kMs, Kind::keyDown(kR, false), {}, ModifierKeys::shiftMask);
    feed(30 * kMs, Kind::flagsChanged(56), {}, 0);
    feed(40 * kMs, Kind::keyDown(kR, false));
    feed(45 * kMs, Kind::keyUp(kR));
    EXPECT_EQ(stopAt(50 * kMs, std::nullopt, kR).events,
              (std::vector{keyDown(0, 7), modifier(10 * kMs, 56, 0x20000, true), keyDown(20 * kMs, kR, 0x20000),
                           modifier(30 * kMs, 56, 0, false)}));

    // Without a stop key trailing keys stay, but modifier presses go.
    start();
    feed(0, Kind::keyDown(15, false));
    feed(10 * kMs, Kind::keyUp(15));
    feed(20 * kMs, Kind::flagsChanged(59), {}, ModifierKeys::controlMask);
    feed(30 * kMs, Kind::flagsChanged(58), {}, ModifierKeys::controlMask | ModifierKeys::alternateMask);
    EXPECT_EQ(stopAt(40 * kMs).events, (std::vector{keyDown(0, 15), keyUp(10 * kMs, 15)}));
}

TEST_F(EventRecorderTest, ReleasesWhosePressWasNotRecordedAndTheStartingShortcutsPressAreLeftOut) {
    const std::uint64_t option = ModifierKeys::alternateMask;
    const std::uint64_t command = ModifierKeys::commandMask;
    start();
    // The record shortcut, pressed before the start, let go just after it.
    feed(0, Kind::flagsChanged(59), {}, option | command);
    feed(1 * kMs, Kind::flagsChanged(58), {}, command);
    feed(2 * kMs, Kind::keyUp(15), {}, command);
    feed(3 * kMs, Kind::flagsChanged(55), {}, 0);
    feed(4 * kMs, Kind::mouseUp(MouseButton::left, 0, 1), {1, 1});  // the menu click that started it
    // Caps Lock going off is a change of the lock, kept though its press came before.
    feed(5 * kMs, Kind::flagsChanged(57), {}, 0);
    feed(6 * kMs, Kind::keyDown(4, false));
    feed(7 * kMs, Kind::keyUp(4));
    feed(8 * kMs, Kind::keyUp(4));  // released twice: the second has no press of its own
    feed(9 * kMs, Kind::flagsChanged(56), {}, ModifierKeys::shiftMask);
    feed(10 * kMs, Kind::flagsChanged(56), {}, 0);
    const Recording recording = stopAt(11 * kMs);
    EXPECT_EQ(recording.events,
              (std::vector{modifier(5 * kMs, 57, 0, false), keyDown(6 * kMs, 4), keyUp(7 * kMs, 4),
                           modifier(9 * kMs, 56, ModifierKeys::shiftMask, true), modifier(10 * kMs, 56, 0, false)}));

    // The next recording starts with nothing held.
    start();
    feed(0, Kind::keyDown(4, false));
    stopAt(1 * kMs);
    start();
    feed(0, Kind::keyUp(4));
    EXPECT_TRUE(stopAt(1 * kMs).events.empty());

    // The listener stamps from the X server's millisecond clock: the press that
    // started the recording may come stamped a fraction of a millisecond late.
    recorder->start(nullptr, kStart, EnvironmentSnapshot::empty(), 15);
    feed(250'000, Kind::keyDown(15, false));
    feed(29 * kMs, Kind::keyUp(15));
    feed(200 * kMs, Kind::keyDown(15, false));  // the user's own R, later
    feed(210 * kMs, Kind::keyUp(15));
    EXPECT_EQ(stopAt(220 * kMs).events, (std::vector{gap(0, 200 * kMs), keyDown(200 * kMs, 15), keyUp(210 * kMs, 15)}));

    // Released before the start: a press after the first moments is the user's.
    recorder->start(nullptr, kStart, EnvironmentSnapshot::empty(), 15);
    feed(150 * kMs, Kind::keyDown(15, false));
    feed(160 * kMs, Kind::keyUp(15));
    EXPECT_EQ(stopAt(170 * kMs).events, (std::vector{gap(0, 150 * kMs), keyDown(150 * kMs, 15), keyUp(160 * kMs, 15)}));
}

// The result is a new recording with the defaults, the name given at the stop
// and the environment given at the start, captured when none was given and
// unknown when capturing fails. A start while recording or a stop while idle
// changes nothing.
TEST_F(EventRecorderTest, OnlyTheFirstStartCountsAndTheResultIsANewRecordingWithTheGivenOrCapturedEnvironment) {
    recorder->start(nullptr, kStart, environmentWithLayout("given"));
    feed(10 * kMs, Kind::keyDown(1, false));
    recorder->start(nullptr, kStart + 5 * kSecond, std::nullopt);
    EXPECT_EQ(captures, 1);  // captured, then dropped; none for the given environment
    feed(20 * kMs, Kind::keyUp(1));
    const auto before = std::chrono::system_clock::now();
    const Recording first = recorder->stop(kStart + 30 * kMs, std::nullopt, std::nullopt, "Named");
    EXPECT_EQ(first.events, (std::vector{keyDown(10 * kMs, 1), keyUp(20 * kMs, 1)}));
    EXPECT_EQ(first.name, "Named");
    EXPECT_EQ(first.settings, RecordingSettings{});
    EXPECT_EQ(first.environment, environmentWithLayout("given"));
    EXPECT_GE(first.createdAt, before);
    EXPECT_LE(first.createdAt, std::chrono::system_clock::now());

    // A stop while idle returns what the last recording left; a new start begins afresh.
    EXPECT_EQ(stopAt(30 * kMs).events, first.events);
    EXPECT_EQ(recorder->eventCount(), 2);
    recorder->start(nullptr, kStart, std::nullopt);
    EXPECT_EQ(recorder->eventCount(), 0);
    const Recording second = stopAt(kMs);
    EXPECT_EQ(second.name, "");
    EXPECT_NE(second.id, first.id);
    EXPECT_EQ(second.environment, environmentWithLayout("captured"));

    auto failing = std::make_shared<EventRecorder>(
        mainQueue, pollQueue, secureInput, []() -> EnvironmentSnapshot { throw std::runtime_error("no display"); });
    failing->start(nullptr, kStart, std::nullopt);
    EXPECT_TRUE(failing->isRecording());
    EXPECT_EQ(failing->stop(kStart, std::nullopt, std::nullopt, "").environment, EnvironmentSnapshot::empty());

    auto without = std::make_shared<EventRecorder>(mainQueue, pollQueue, secureInput, nullptr);
    without->start(nullptr, kStart, std::nullopt);
    EXPECT_EQ(without->stop(kStart, std::nullopt, std::nullopt, "").environment, EnvironmentSnapshot::empty());
}

TEST_F(EventRecorderTest, OutOfOrderEventsAreKeptInTimeOrder) {
    start();
    feed(100 * kMs, Kind::keyDown(1, false));
    feed(40 * kMs, Kind::keyUp(1));  // arrives late
    move(30 * kMs, 5, 5);
    move(35 * kMs, 9, 9);  // earlier than the path's (moved) start: dropped
    feed(120 * kMs, Kind::mouseDown(MouseButton::left, 0, 1), {5, 5});
    const Recording recording = stopAt(130 * kMs);
    EXPECT_EQ(recording.events,
              (std::vector{gap(0, 100 * kMs), keyDown(100 * kMs, 1), keyUp(100 * kMs, 1), path(100 * kMs, {{0, 5, 5}}),
                           RecordingEvent::mouseDown({120 * kMs, MouseButton::left, 0, 5, 5, 1, 0})}));
}

TEST_F(EventRecorderTest, PointerEventsWithoutAFinitePositionAreIgnoredAndTimesAtTheEndOfTheRangeDoNotWrap) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    start();
    feed(0, Kind::mouseDown(MouseButton::left, 0, 1), {nan, 0});
    move(1 * kMs, 0, inf);
    feed(2 * kMs, Kind::scrollWheel({}), {-inf, nan});
    feed(3 * kMs, Kind::keyDown(1, false), {nan, nan});  // keys do not use the position
    EXPECT_EQ(stopAt(4 * kMs).events, std::vector{keyDown(3 * kMs, 1)});

    // Times at the end of the range do not wrap.
    recorder->start(nullptr, 0, EnvironmentSnapshot::empty());
    recorder->consume(TapEvent{Kind::keyDown(1, false), kMax - 1, {}, 0, kOtherProcess, false});
    recorder->consume(TapEvent{Kind::keyUp(1), kMax - 1, {}, 0, kOtherProcess, false});
    move(kMax - 1, 1, 1);
    EXPECT_EQ(recorder->stop(kMax, std::nullopt, std::nullopt, "").events,
              (std::vector{gap(0, kMax - 1), keyDown(kMax - 1, 1), keyUp(kMax - 1, 1), path(kMax - 1, {{0, 1, 1}})}));
}

}  // namespace
}  // namespace brevanor
