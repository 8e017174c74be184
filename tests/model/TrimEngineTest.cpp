#include <gtest/gtest.h>

#include <tuple>

#include "core/model/TrimEngine.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kSecond = 1'000'000'000;

RecordingEvent gap(std::uint64_t t, std::uint64_t duration) { return RecordingEvent::idleGap({t, duration}); }
RecordingEvent keyDown(std::uint64_t t) { return RecordingEvent::keyDown({t, 0, 0, false}); }

// Only an idle gap at either end may be trimmed; a lone gap counts as leading. A trim is clamped to those gaps.
TEST(TrimEngine, OnlyGapsAtTheEndsAreTrimmable) {
    const std::vector<RecordingEvent> bothEnds{gap(0, 1'500'000'000), keyDown(1'500'000'000),
                                               RecordingEvent::keyUp({1'550'000'000, 0, 0, false}),
                                               gap(1'600'000'000, 3 * kSecond)};
    const std::tuple<std::vector<RecordingEvent>, std::uint64_t, std::uint64_t> cases[] = {
        {{}, 0, 0},
        {{gap(0, 2 * kSecond)}, 2 * kSecond, 0},
        {{gap(5, kSecond), keyDown(kSecond + 5)}, 0, 0},
        {{keyDown(0), gap(1, kSecond), RecordingEvent::mousePath({kSecond + 1, {{0, 1, 1}}})}, 0, 0},
        {bothEnds, 1'500'000'000, 3 * kSecond},
    };
    for (const auto& [events, leading, trailing] : cases) {
        EXPECT_EQ(TrimEngine::maxLeadingTrim(events), leading);
        EXPECT_EQ(TrimEngine::maxTrailingTrim(events), trailing);
    }
    EXPECT_EQ(TrimEngine::automaticTrim({}), TrimRange{});
    EXPECT_EQ(TrimEngine::clamped({5, 5}, {}), TrimRange{});
    EXPECT_EQ(TrimEngine::clamped({10 * kSecond, 10 * kSecond}, bothEnds), (TrimRange{1'500'000'000, 3 * kSecond}));
    EXPECT_EQ(TrimEngine::clamped({0, 0}, bothEnds), TrimRange{});
}

}  // namespace
}  // namespace brevanor
