#include <gtest/gtest.h>

#include "app/ui/ActivityStrip.h"

namespace brevanor::testing {
namespace {

constexpr std::uint64_t kSecond = 1'000'000'000;

TEST(ActivityStrip, CountsEachKindOfInputInTheSliceOfTimeItHappenedShadesTheTrimAndStaysInBounds) {
    Recording recording;
    recording.events = {
        RecordingEvent::idleGap({0, 2 * kSecond}),
        RecordingEvent::mousePath({2 * kSecond, {{0, 1, 1}, {kSecond / 2, 2, 2}, {kSecond, 3, 3}}}),
        RecordingEvent::mouseDown({3 * kSecond, MouseButton::left, 0, 3, 3, 1, 0}),
        RecordingEvent::mouseUp({3 * kSecond + 1, MouseButton::left, 0, 3, 3, 1, 0}),
        RecordingEvent::keyDown({5 * kSecond, 4, 0, false}),
        RecordingEvent::keyUp({5 * kSecond + 1, 4, 0, false}),
        RecordingEvent::flagsChanged({6 * kSecond, 56, 0x20000, true}),
        RecordingEvent::scroll({7 * kSecond, 3, 3, 0, -1, 0, -10, false, 0, 0, 0}),
        RecordingEvent::idleGap({7 * kSecond, 3 * kSecond}),
    };
    recording.trim = TrimRange{2 * kSecond, 3 * kSecond};

    // Ten slices of one second each over the ten seconds.
    const auto activity = ActivityStrip::Activity::of(recording, 10);
    using Counts = std::vector<std::int64_t>;
    EXPECT_EQ(activity.counts[0], (Counts{0, 0, 2, 1, 0, 0, 0, 0, 0, 0})) << "path points where they were made";
    EXPECT_EQ(activity.counts[1], (Counts{0, 0, 0, 1, 0, 0, 0, 0, 0, 0})) << "presses, not releases";
    EXPECT_EQ(activity.counts[2], (Counts{0, 0, 0, 0, 0, 1, 1, 0, 0, 0})) << "keys and modifiers going down";
    EXPECT_EQ(activity.counts[3], (Counts{0, 0, 0, 0, 0, 0, 0, 1, 0, 0}));
    EXPECT_DOUBLE_EQ(activity.trimmedLeadFraction, 0.2);
    EXPECT_DOUBLE_EQ(activity.trimmedTailFraction, 0.3);

    // An empty recording or a trim longer than the recording shows nothing out of bounds.
    Recording empty;
    empty.trim = TrimRange{kSecond, kSecond};
    const auto nothing = ActivityStrip::Activity::of(empty, 4);
    EXPECT_EQ(nothing.counts[0], (std::vector<std::int64_t>(4, 0)));
    EXPECT_EQ(nothing.trimmedLeadFraction, 0.0);

    Recording overTrimmed;
    overTrimmed.events = {RecordingEvent::keyDown({kSecond, 1, 0, false})};
    overTrimmed.trim = TrimRange{5 * kSecond, 5 * kSecond};
    const auto clipped = ActivityStrip::Activity::of(overTrimmed, 4);
    EXPECT_EQ(clipped.counts[2], (std::vector<std::int64_t>{0, 0, 0, 1})) << "the last instant is in the last slice";
    EXPECT_DOUBLE_EQ(clipped.trimmedLeadFraction + clipped.trimmedTailFraction, 1.0);
}

}  // namespace
}  // namespace brevanor::testing
