#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "core/playback/PlaybackOptions.h"

namespace brevanor {
namespace {

TEST(PlaybackOptions, ClampSpeedKeepsSpeedsWithinHalfToTen) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::pair<double, double> kCases[] = {{std::nan(""), 1}, {kInf, 1},  {-kInf, 1}, {0.25, 0.5}, {-3, 0.5},
                                                {0.5, 0.5},        {2.5, 2.5}, {10, 10},   {10.5, 10}};
    for (const auto& [speed, clamped] : kCases) EXPECT_EQ(PlaybackOptions::clampSpeed(speed), clamped) << speed;
}

TEST(PlaybackOptions, MemberwiseAndFromSettingsEveryValueIsClamped) {
    EXPECT_EQ(PlaybackOptions(20, 20'000, 7, CursorMode::relativeToCursor, 9),
              PlaybackOptions(10, 9999, 7, CursorMode::relativeToCursor, 9));  // the rest is copied
    EXPECT_EQ(PlaybackOptions(1, 0, 0, CursorMode::absolute, 0).repeatCount, 1);
    EXPECT_EQ(PlaybackOptions(1, -4, 0, CursorMode::absolute, 0).repeatCount, 1);
    EXPECT_EQ(PlaybackOptions(1, std::nullopt, 0, CursorMode::absolute, 0).repeatCount, std::nullopt);

    // Each stored value is brought within what a playback does; speed and cursor mode are copied.
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr std::uint64_t kHour = 3'600'000'000'000u;
    const auto from = [](const std::function<void(RecordingSettings&)>& change) {
        RecordingSettings settings;
        change(settings);
        return PlaybackOptions(settings);
    };
    using S = RecordingSettings;
    EXPECT_EQ(from([](S& s) { s.repeatCount = 20'000; }).repeatCount, 9999);
    EXPECT_EQ(from([](S& s) { s.repeatInfinite = true; }).repeatCount, std::nullopt);

    EXPECT_EQ(from([](S& s) { s.delayBetweenRepeatsSec = 5000; }).delayBetweenRepeatsNanos, kHour);
    EXPECT_EQ(from([](S& s) { s.delayBetweenRepeatsSec = 1.5; }).delayBetweenRepeatsNanos, 1'500'000'000u);
    EXPECT_EQ(from([](S& s) { s.delayBetweenRepeatsSec = -2; }).delayBetweenRepeatsNanos, 0u);
    // Not a number would be undefined to convert; it means no pause.
    EXPECT_EQ(from([](S& s) { s.delayBetweenRepeatsSec = std::nan(""); }).delayBetweenRepeatsNanos, 0u);
    EXPECT_EQ(from([](S& s) { s.delayBetweenRepeatsSec = kInf; }).delayBetweenRepeatsNanos, kHour);

    EXPECT_EQ(from([](S& s) { s.extraDelayBeforeClickMs = -5; }).extraDelayBeforeClickNanos, 0u);
    EXPECT_EQ(from([](S& s) { s.extraDelayBeforeClickMs = 3000; }).extraDelayBeforeClickNanos, 2'000'000'000u);
    EXPECT_EQ(from([](S& s) { s.extraDelayBeforeClickMs = 250; }).extraDelayBeforeClickNanos, 250'000'000u);
    EXPECT_EQ(from([](S& s) {
                  s.extraDelayBeforeClickMs = std::numeric_limits<std::int64_t>::min();
              }).extraDelayBeforeClickNanos,
              0u);

    EXPECT_EQ(from([](S& s) {
                  s.speed = 3;
                  s.cursorMode = CursorMode::relativeToScreen;
              }),
              PlaybackOptions(3, 1, 0, CursorMode::relativeToScreen, 0));
    EXPECT_EQ(from([](S& s) { s.speed = 0.1; }).speed, 0.5);
}

}  // namespace
}  // namespace brevanor
