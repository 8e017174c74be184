#include <gtest/gtest.h>

#include "core/model/TrimEngine.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kSecond = 1'000'000'000;

RecordingEvent gap(std::uint64_t t, std::uint64_t duration) { return RecordingEvent::idleGap({t, duration}); }
RecordingEvent keyDown(std::uint64_t t) { return RecordingEvent::keyDown({t, 0, 0, false}); }

TEST(TrimEngine, EmptyListAllowsNoTrim) {
    const std::vector<RecordingEvent> none;
    EXPECT_EQ(TrimEngine::maxLeadingTrim(none), 0u);
    EXPECT_EQ(TrimEngine::maxTrailingTrim(none), 0u);
    EXPECT_EQ(TrimEngine::automaticTrim(none), TrimRange{});
    EXPECT_EQ(TrimEngine::clamped({5, 5}, none), TrimRange{});
}

TEST(TrimEngine, LoneIdleGapCountsAsLeadingOnly) {
    const std::vector<RecordingEvent> events{gap(0, 2 * kSecond)};
    EXPECT_EQ(TrimEngine::maxLeadingTrim(events), 2 * kSecond);
    EXPECT_EQ(TrimEngine::maxTrailingTrim(events), 0u);
}

TEST(TrimEngine, AutomaticTrimTakesBothEndGaps) {
    const std::vector<RecordingEvent> events{gap(0, 1'500'000'000), keyDown(1'500'000'000),
                                             RecordingEvent::keyUp({1'550'000'000, 0, 0, false}),
                                             gap(1'600'000'000, 3 * kSecond)};
    EXPECT_EQ(TrimEngine::automaticTrim(events), (TrimRange{1'500'000'000, 3 * kSecond}));
    EXPECT_EQ(TrimEngine::clamped({10 * kSecond, 10 * kSecond}, events), (TrimRange{1'500'000'000, 3 * kSecond}));
    EXPECT_EQ(TrimEngine::clamped({0, 0}, events), TrimRange{});
}

TEST(TrimEngine, GapsNotAtTheEndsAreNotTrimmable) {
    const std::vector<RecordingEvent> lateStart{gap(5, kSecond), keyDown(kSecond + 5)};
    EXPECT_EQ(TrimEngine::maxLeadingTrim(lateStart), 0u);

    const std::vector<RecordingEvent> pathLast{keyDown(0), gap(1, kSecond),
                                               RecordingEvent::mousePath({kSecond + 1, {{0, 1, 1}}})};
    EXPECT_EQ(TrimEngine::maxTrailingTrim(pathLast), 0u);
}

}  // namespace
}  // namespace brevanor
