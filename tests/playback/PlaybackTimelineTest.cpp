#include <gtest/gtest.h>

#include <limits>
#include <ostream>

#include "core/playback/PlaybackTimeline.h"

namespace brevanor {

// Readable failures: "offset kind (fields)".
void PrintTo(const ScheduledAction& scheduled, std::ostream* os) {
    const PlaybackAction& a = scheduled.action;
    *os << scheduled.offsetNanos << " ";
    switch (a.kind()) {
        case PlaybackAction::Kind::moveCursor: *os << "move(" << a.move().x << ", " << a.move().y << ")"; break;
        case PlaybackAction::Kind::mouseDown:
        case PlaybackAction::Kind::mouseUp:
            *os << (a.kind() == PlaybackAction::Kind::mouseDown ? "down(" : "up(") << a.button().buttonNumber << " at "
                << a.button().x << ", " << a.button().y << ")";
            break;
        case PlaybackAction::Kind::scroll: *os << "scroll(" << a.scrollAction().scroll.deltaY << ")"; break;
        case PlaybackAction::Kind::keyDown: *os << "keyDown(" << a.key().keyCode << ")"; break;
        case PlaybackAction::Kind::keyUp: *os << "keyUp(" << a.key().keyCode << ")"; break;
        case PlaybackAction::Kind::flagsChanged: *os << "flags(" << a.flags().keyCode << ")"; break;
    }
}

namespace {

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kSecond = 1'000 * kMs;

RecordingEvent down(std::uint64_t t, double x = 100, double y = 200, std::int64_t number = 0) {
    return RecordingEvent::mouseDown({t, MouseButton::left, number, x, y, 1, 0});
}
RecordingEvent up(std::uint64_t t, double x = 100, double y = 200, std::int64_t number = 0) {
    return RecordingEvent::mouseUp({t, MouseButton::left, number, x, y, 1, 0});
}
RecordingEvent keyDown(std::uint64_t t, std::uint16_t code = 0) { return RecordingEvent::keyDown({t, code, 0, true}); }
RecordingEvent keyUp(std::uint64_t t, std::uint16_t code = 0) { return RecordingEvent::keyUp({t, code, 0, false}); }

Recording recordingOf(std::vector<RecordingEvent> events, TrimRange trim = {}) {
    Recording recording;
    recording.events = std::move(events);
    recording.trim = trim;
    return recording;
}

std::vector<ScheduledAction> build(const Recording& recording, PlaybackOptions options = {}) {
    return PlaybackTimeline::build(recording, options, CursorTransform::identity());
}

PlaybackOptions atSpeed(double speed) {
    PlaybackOptions options;
    options.speed = speed;  // set directly: the timeline clamps hand-made options itself
    return options;
}

std::vector<std::uint64_t> offsetsOf(const std::vector<ScheduledAction>& actions) {
    std::vector<std::uint64_t> offsets;
    for (const auto& a : actions) offsets.push_back(a.offsetNanos);
    return offsets;
}

ScheduledAction move(std::uint64_t at, double x, double y) { return {at, PlaybackAction::moveCursor(x, y)}; }

TEST(PlaybackTimeline, FirstClickGetsInitialPlacementAndEachClickASettleMoveAndEveryPositionIsMapped) {
    const auto transform = CursorTransform::offset(10, -10);
    const auto actions = PlaybackTimeline::build(
        recordingOf({down(kSecond), up(kSecond + 50 * kMs),
                     RecordingEvent::scroll({2 * kSecond, 10, 20, {-1, 3, -4, 30, true, 2, 1}, 0x100000})}),
        {}, transform);
    const std::vector<ScheduledAction> expected{
        move(0, 110, 190),
        move(998 * kMs, 110, 190),
        {1000 * kMs, PlaybackAction::mouseDown({MouseButton::left, 0, 110, 190, 1, 0})},
        {1050 * kMs, PlaybackAction::mouseUp({MouseButton::left, 0, 110, 190, 1, 0})},
        {2 * kSecond, PlaybackAction::scroll({20, 10, {-1, 3, -4, 30, true, 2, 1}, 0x100000})},
    };
    EXPECT_EQ(actions, expected);
    EXPECT_EQ(PlaybackTimeline::duration(actions), 2 * kSecond);

    // A click right after another action settles at that action; one at the very start
    // settles at offset 0, goes down 2 ms later and takes the rest of the run with it, so
    // that its gap to the release stays as recorded (also after a click delay too short).
    EXPECT_EQ(offsetsOf(build(recordingOf({keyDown(500 * kMs), down(501 * kMs)}))),
              (std::vector<std::uint64_t>{0, 500 * kMs, 500 * kMs, 502 * kMs}));
    EXPECT_EQ(offsetsOf(build(recordingOf({down(kMs), up(51 * kMs)}))),
              (std::vector<std::uint64_t>{0, 0, 2 * kMs, 52 * kMs}));
    PlaybackOptions clickDelay;
    clickDelay.extraDelayBeforeClickNanos = kMs / 2;
    EXPECT_EQ(offsetsOf(build(recordingOf({down(0), up(50 * kMs)}), clickDelay)),
              (std::vector<std::uint64_t>{0, 0, 2 * kMs, 52 * kMs}));
}

TEST(PlaybackTimeline, SpeedDividesTimesAndIsClamped) {
    const auto recording = recordingOf({keyDown(kSecond)});
    EXPECT_EQ(offsetsOf(build(recording, atSpeed(2.0))), std::vector<std::uint64_t>{500 * kMs});
    EXPECT_EQ(offsetsOf(build(recording, atSpeed(0.25))), std::vector<std::uint64_t>{2 * kSecond});
    EXPECT_EQ(offsetsOf(build(recording, atSpeed(50))), std::vector<std::uint64_t>{100 * kMs});
    // Truncated, not rounded: 1,000,000,001 ns at speed 3 are 333,333,333.67 ns.
    EXPECT_EQ(offsetsOf(build(recordingOf({keyDown(1), keyDown(kSecond + 1)}), atSpeed(3))),
              (std::vector<std::uint64_t>{0, 333'333'333}));
}

TEST(PlaybackTimeline, ExtraClickDelayAccumulatesAndDelaysEverythingAfter) {
    PlaybackOptions options;
    options.extraDelayBeforeClickNanos = 100 * kMs;
    const auto actions = build(recordingOf({keyDown(0), down(kSecond), up(kSecond + 20 * kMs), down(2 * kSecond),
                                            up(2 * kSecond + 20 * kMs), keyUp(3 * kSecond)}),
                               options);
    // placement, key, settle, press, release, settle, press, release, key
    EXPECT_EQ(offsetsOf(actions), (std::vector<std::uint64_t>{0, 0, 1098 * kMs, 1100 * kMs, 1120 * kMs, 2198 * kMs,
                                                              2200 * kMs, 2220 * kMs, 3200 * kMs}));
}

TEST(PlaybackTimeline, ButtonsAreHeldAndKeyEventsKeptAtLeastTheInputGapApart) {
    const auto actions = build(recordingOf({down(kSecond), up(kSecond + kMs)}));
    ASSERT_EQ(actions.size(), 4u);
    EXPECT_EQ(actions[3].offsetNanos - actions[2].offsetNanos, PlaybackTimeline::minInputGapNanos);

    // The gap is per button number: another button's release is not held back.
    const auto two = build(recordingOf({down(kSecond, 0, 0, 0), up(kSecond + kMs, 0, 0, 1)}));
    EXPECT_EQ(two.back().offsetNanos, kSecond + kMs);

    // Key events stay the input gap apart, across kinds.
    const auto keys =
        build(recordingOf({keyDown(10 * kMs, 1), keyUp(12 * kMs, 1),
                           RecordingEvent::flagsChanged({13 * kMs, 56, 0x20000, true}), keyDown(100 * kMs, 2)}));
    EXPECT_EQ(offsetsOf(keys), (std::vector<std::uint64_t>{10 * kMs, 18 * kMs, 26 * kMs, 100 * kMs}));
    EXPECT_EQ(keys[2].action, PlaybackAction::flagsChanged({56, 0x20000, true}));
    // The auto-repeat flag of the recording does not travel.
    EXPECT_EQ(keys[0].action, PlaybackAction::keyDown({1, 0}));
}

TEST(PlaybackTimeline, PathsAreThinnedToWaypointsKeepingBothEnds) {
    MousePathEvent path{0, {}};
    for (std::uint64_t i = 0; i <= 30; ++i) path.points.push_back({i * kMs, double(i), 0});
    const auto recording = recordingOf({RecordingEvent::mousePath(path)});

    const auto actions = build(recording);
    // placement, then every 4th point from the first, and the last one
    std::vector<ScheduledAction> expected{move(0, 0, 0)};
    for (std::uint64_t i = 0; i < 30; i += 4) expected.push_back(move(i * kMs, double(i), 0));
    expected.push_back(move(30 * kMs, 30, 0));
    EXPECT_EQ(actions, expected);

    const auto fast = build(recording, atSpeed(10));
    EXPECT_LT(fast.size(), actions.size());
    EXPECT_EQ(fast.back(), move(3 * kMs, 30, 0));
    for (std::size_t i = 2; i + 1 < fast.size(); ++i) {
        EXPECT_GE(fast[i].offsetNanos - fast[i - 1].offsetNanos, PlaybackTimeline::minWaypointGapNanos);
    }
}

TEST(PlaybackTimeline, TrimWindowShiftsAndCutsEventsAndPathPoints) {
    const auto recording = recordingOf({keyDown(500 * kMs, 1), keyDown(1500 * kMs, 2), keyDown(2 * kSecond, 3),
                                        keyDown(2500 * kMs, 4), RecordingEvent::idleGap({2500 * kMs, 500 * kMs})},
                                       {kSecond, kSecond});
    // window [1 s, 2 s]: both bounds inclusive
    EXPECT_EQ(build(recording), (std::vector<ScheduledAction>{{500 * kMs, PlaybackAction::keyDown({2, 0})},
                                                              {kSecond, PlaybackAction::keyDown({3, 0})}}));

    const auto path =
        recordingOf({RecordingEvent::mousePath({0, {{0, 1, 1}, {10 * kMs, 2, 2}, {20 * kMs, 3, 3}, {30 * kMs, 4, 4}}})},
                    {0, 15 * kMs});
    EXPECT_EQ(build(path), (std::vector{move(0, 1, 1), move(0, 1, 1), move(10 * kMs, 2, 2)}));
}

// Idle gaps alone play nothing; a click trimmed away leaves only its placement.
TEST(PlaybackTimeline, WithoutInputInTheWindowOnlyTheFirstClicksPlacementIsLeft) {
    const auto idleEnd = RecordingEvent::idleGap({kSecond + 10, kSecond});
    EXPECT_TRUE(build(recordingOf({})).empty());
    EXPECT_EQ(PlaybackTimeline::duration({}), 0u);
    EXPECT_TRUE(build(recordingOf({RecordingEvent::idleGap({0, kSecond}), idleEnd})).empty());
    const auto actions = build(recordingOf({down(kSecond, 7, 8), up(kSecond + 10), idleEnd}, {10 * kSecond, 0}));
    EXPECT_EQ(actions, (std::vector<ScheduledAction>{move(0, 7, 8)}));
    EXPECT_TRUE(build(recordingOf({keyDown(kSecond), idleEnd}, {10 * kSecond, 0})).empty());
}

TEST(PlaybackTimeline, HugeTimesSaturateInsteadOfWrapping) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    // At half speed an event near the end of the 64-bit range would land past it.
    const auto slow = build(recordingOf({keyDown(0), keyDown(kMax - 1)}), atSpeed(0.5));
    EXPECT_EQ(offsetsOf(slow), (std::vector<std::uint64_t>{0, kMax}));

    // Path point times that overflow stop at the largest time instead of wrapping to small ones.
    const auto path = build(recordingOf({RecordingEvent::mousePath({kMax - 5, {{0, 1, 1}, {kMax, 2, 2}}})}));
    EXPECT_EQ(offsetsOf(path), (std::vector<std::uint64_t>{0, kMax, kMax}));

    PlaybackOptions options;
    options.extraDelayBeforeClickNanos = kMax / 2;
    const auto clicks = build(recordingOf({down(0), up(1), down(2), up(3), down(4)}), options);
    for (std::size_t i = 1; i < clicks.size(); ++i) EXPECT_GE(clicks[i].offsetNanos, clicks[i - 1].offsetNanos);
    EXPECT_EQ(clicks.back().offsetNanos, kMax);
}

}  // namespace
}  // namespace brevanor
