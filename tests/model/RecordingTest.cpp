#include <gtest/gtest.h>

#include <limits>

#include "core/model/Recording.h"
#include "tests/model/RecordingSamples.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMaxNanos = std::numeric_limits<std::uint64_t>::max();

Recording withEvents(std::vector<RecordingEvent> events, TrimRange trim = {}) {
    return Recording(Uuid::random(), "r", samples::decemberFifth(), {}, {}, trim, std::move(events));
}

// An idle gap's end: EventEdits.GapsMeasureTheQuietTimeAndMoveWhatFollows (a wait inserted at the end).
TEST(RecordingModel, DurationEndsWithTheLastEventsEnd) {
    EXPECT_EQ(withEvents({}).durationNanos(), 0u);
    const Recording path =
        withEvents({RecordingEvent::keyDown({5, 1, 0, false}),
                    RecordingEvent::mousePath({1'000'000'000, {{0, 1, 1}, {8'000'000, 2, 2}, {20'000'000, 3, 3}}})});
    EXPECT_EQ(path.durationNanos(), 1'020'000'000u);

    // A path without points ends where it starts; only the last event counts.
    const Recording emptyPath =
        withEvents({RecordingEvent::idleGap({0, 9'000'000'000}), RecordingEvent::mousePath({7, {}})});
    EXPECT_EQ(emptyPath.durationNanos(), 7u);
}

TEST(RecordingModel, TrimmedDurationNeitherGoesBelowZeroNorWraps) {
    const Recording partly = withEvents({RecordingEvent::idleGap({0, 500'000'000})}, {100'000'000, 150'000'000});
    EXPECT_EQ(partly.trimmedDurationNanos(), 250'000'000u);
    const Recording overlapping = withEvents({RecordingEvent::idleGap({0, 500'000'000})}, {300'000'000, 300'000'000});
    EXPECT_EQ(overlapping.trimmedDurationNanos(), 0u);

    // Only hand-edited documents get here; sums beyond 64 bits saturate rather than wrap into small values.
    const auto nearEnd = kMaxNanos - 10;
    EXPECT_EQ(RecordingEvent::idleGap({nearEnd, 100}).endTimestamp(), kMaxNanos);
    EXPECT_EQ(RecordingEvent::mousePath({nearEnd, {{0, 0, 0}, {kMaxNanos, 1, 1}}}).endTimestamp(), kMaxNanos);
    EXPECT_EQ(withEvents({RecordingEvent::idleGap({0, 1000})}, {kMaxNanos, 5}).trimmedDurationNanos(), 0u);
    const Recording huge = withEvents({RecordingEvent::idleGap({nearEnd, 100})}, {5, 0});
    EXPECT_EQ(huge.durationNanos(), kMaxNanos);
    EXPECT_EQ(huge.trimmedDurationNanos(), kMaxNanos - 5);
}

TEST(RecordingModel, FirstMousePositionSkipsEventsWithoutOne) {
    const Recording recording = withEvents({
        RecordingEvent::keyDown({0, 1, 0, false}),
        RecordingEvent::mousePath({1, {}}),
        RecordingEvent::scroll({2, 10, 20, 0, 1, 0, 0, false, 0, 0, 0}),
        RecordingEvent::mouseDown({3, MouseButton::left, 0, 30, 40, 1, 0}),
    });
    EXPECT_EQ(recording.firstMousePosition(), (Point{10, 20}));

    const Recording pathFirst =
        withEvents({RecordingEvent::flagsChanged({0, 56, 0x20000, true}), RecordingEvent::idleGap({0, 100}),
                    RecordingEvent::mousePath({100, {{0, -5, 7.5}, {10, 1, 1}}})});
    EXPECT_EQ(pathFirst.firstMousePosition(), (Point{-5, 7.5}));

    const Recording noneAtAll =
        withEvents({RecordingEvent::keyDown({0, 1, 0, false}), RecordingEvent::idleGap({0, 100})});
    EXPECT_EQ(noneAtAll.firstMousePosition(), std::nullopt);
}

TEST(RecordingModel, TrimCanBeAppliedAndUndone) {
    Recording recording = samples::everyField();
    recording.undoTrim();
    EXPECT_FALSE(recording.canUndoTrim());
    EXPECT_EQ(recording.trim, TrimRange{});

    recording.applyAutomaticTrim();
    EXPECT_EQ(recording.trim, (TrimRange{1'500'000'000, 2'000'000'000}));
    EXPECT_TRUE(recording.canUndoTrim());

    // Neither end is an idle gap: nothing to trim.
    Recording plain =
        withEvents({RecordingEvent::idleGap({5, 100}), RecordingEvent::keyDown({105, 1, 0, false})}, {0, 1});
    EXPECT_TRUE(plain.canUndoTrim());
    plain.applyAutomaticTrim();
    EXPECT_EQ(plain.trim, TrimRange{});
    EXPECT_FALSE(plain.canUndoTrim());
}

TEST(FrameRect, LeftAndTopEdgesBelongToTheFrame) {
    const FrameRect frame{-100, 50, 200, 100};
    EXPECT_TRUE(frame.contains(-100, 50));
    EXPECT_TRUE(frame.contains(99.999, 149.999));
    EXPECT_FALSE(frame.contains(100, 60));
    EXPECT_FALSE(frame.contains(0, 150));
    EXPECT_FALSE(frame.contains(-100.001, 60));
    EXPECT_FALSE((FrameRect{0, 0, 0, 0}.contains(0, 0)));
}

}  // namespace
}  // namespace brevanor
