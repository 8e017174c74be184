#include <gtest/gtest.h>

#include "platform/x11/X11ServerClock.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kBase = 5'000 * kMs;  // the monotonic clock when the server read 0

TEST(X11ServerClock, PlacesPromptEventsAtTheirArrivalWithinTheirMillisecond) {
    X11ServerClock clock;
    // Server times truncate to the millisecond; prompt arrivals tell the fraction.
    EXPECT_EQ(clock.monotonicNanos(100, kBase + 100 * kMs + 50'000), kBase + 100 * kMs + 50'000);
    EXPECT_EQ(clock.monotonicNanos(100, kBase + 100 * kMs + 700'000), kBase + 100 * kMs + 700'000);
    EXPECT_EQ(clock.monotonicNanos(160, kBase + 160 * kMs + 930'000), kBase + 160 * kMs + 930'000);
    // The interval between the last two is kept to the microsecond, not rounded to whole milliseconds.
}

TEST(X11ServerClock, PlacesLateArrivalsInTheMiddleOfTheirMillisecond) {
    X11ServerClock clock;
    clock.monotonicNanos(100, kBase + 100 * kMs + 40'000);  // sets the offset: 40 µs
    // The listener was 7 ms behind: three events arrive together.
    const std::uint64_t arrival = kBase + 110 * kMs;
    EXPECT_EQ(clock.monotonicNanos(101, arrival), kBase + 101 * kMs + 40'000 + kMs / 2);
    EXPECT_EQ(clock.monotonicNanos(102, arrival), kBase + 102 * kMs + 40'000 + kMs / 2);
    EXPECT_EQ(clock.monotonicNanos(103, arrival), kBase + 103 * kMs + 40'000 + kMs / 2);
}

TEST(X11ServerClock, TheSmallestDelaySetsTheOffsetAndAStaleOneIsMeasuredAnew) {
    X11ServerClock clock;
    clock.monotonicNanos(100, kBase + 100 * kMs + 900'000);  // a slow first arrival
    clock.monotonicNanos(200, kBase + 200 * kMs + 10'000);   // a quicker one lowers the offset
    EXPECT_EQ(clock.monotonicNanos(300, kBase + 305 * kMs), kBase + 300 * kMs + 10'000 + kMs / 2);
    // The server's clock was stepped back by 3 s: the old offset would place events in the future.
    const std::uint64_t later = kBase + 400 * kMs + 3'000 * kMs;
    EXPECT_EQ(clock.monotonicNanos(400, later), later);
    EXPECT_EQ(clock.monotonicNanos(401, later + kMs + 20'000), later + kMs + 20'000);
}

TEST(X11ServerClock, NeverGoesBackwardsNorPastArrival) {
    X11ServerClock clock;
    const std::uint64_t first = clock.monotonicNanos(100, kBase + 100 * kMs + 800'000);
    // Events stamped earlier by the server (another device's) arrive after it.
    EXPECT_EQ(clock.monotonicNanos(99, kBase + 100 * kMs + 850'000), first);
    EXPECT_EQ(clock.monotonicNanos(98, kBase + 100 * kMs + 860'000), first);
    for (unsigned long t = 101; t < 120; ++t) {
        const std::uint64_t arrival = kBase + 130 * kMs;
        EXPECT_LE(clock.monotonicNanos(t, arrival), arrival);
    }
}

TEST(X11ServerClock, CountsOnAcrossTheWrapOfTheServersCounter) {
    X11ServerClock clock;
    const unsigned long beforeWrap = 0xFFFFFFFFUL - 4;  // 5 ms before the 32-bit counter wraps
    const std::uint64_t start = 100'000 * kMs;
    EXPECT_EQ(clock.monotonicNanos(beforeWrap, start + 30'000), start + 30'000);
    // 10 ms later the counter reads 5 again: 10 ms later on the monotonic clock too.
    EXPECT_EQ(clock.monotonicNanos(5, start + 10 * kMs + 30'000), start + 10 * kMs + 30'000);
    EXPECT_EQ(clock.monotonicNanos(8, start + 20 * kMs), start + 13 * kMs + 30'000 + kMs / 2);
}

}  // namespace
}  // namespace brevanor
