#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/playback/PlaybackOptions.h"

namespace brevanor {
namespace {

TEST(PlaybackOptions, DefaultsPlayOnceAtNormalSpeed) {
    const PlaybackOptions options;
    EXPECT_EQ(options.speed, 1.0);
    EXPECT_EQ(options.repeatCount, 1);
    EXPECT_EQ(options.delayBetweenRepeatsNanos, 0u);
    EXPECT_EQ(options.cursorMode, CursorMode::absolute);
    EXPECT_EQ(options.extraDelayBeforeClickNanos, 0u);
}

TEST(PlaybackOptions, ClampSpeedKeepsSpeedsWithinHalfToTen) {
    EXPECT_EQ(PlaybackOptions::clampSpeed(std::nan("")), 1.0);
    EXPECT_EQ(PlaybackOptions::clampSpeed(std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_EQ(PlaybackOptions::clampSpeed(-std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_EQ(PlaybackOptions::clampSpeed(0.25), 0.5);
    EXPECT_EQ(PlaybackOptions::clampSpeed(-3), 0.5);
    EXPECT_EQ(PlaybackOptions::clampSpeed(0.5), 0.5);
    EXPECT_EQ(PlaybackOptions::clampSpeed(2.5), 2.5);
    EXPECT_EQ(PlaybackOptions::clampSpeed(10.0), 10.0);
    EXPECT_EQ(PlaybackOptions::clampSpeed(10.5), 10.0);
}

TEST(PlaybackOptions, MemberwiseClampsSpeedAndPresentRepeatCountOnly) {
    const PlaybackOptions options(20, 20'000, 7, CursorMode::relativeToCursor, 9);
    EXPECT_EQ(options.speed, 10.0);
    EXPECT_EQ(options.repeatCount, 9999);
    EXPECT_EQ(options.delayBetweenRepeatsNanos, 7u);
    EXPECT_EQ(options.cursorMode, CursorMode::relativeToCursor);
    EXPECT_EQ(options.extraDelayBeforeClickNanos, 9u);

    EXPECT_EQ(PlaybackOptions(1, 0, 0, CursorMode::absolute, 0).repeatCount, 1);
    EXPECT_EQ(PlaybackOptions(1, -4, 0, CursorMode::absolute, 0).repeatCount, 1);
    EXPECT_EQ(PlaybackOptions(1, std::nullopt, 0, CursorMode::absolute, 0).repeatCount, std::nullopt);
}

TEST(PlaybackOptions, FromSettingsClampsRepeatCount) {
    RecordingSettings settings;
    settings.repeatCount = 0;
    EXPECT_EQ(PlaybackOptions(settings).repeatCount, 1);
    settings.repeatCount = 20'000;
    EXPECT_EQ(PlaybackOptions(settings).repeatCount, 9999);
    settings.repeatCount = 42;
    EXPECT_EQ(PlaybackOptions(settings).repeatCount, 42);
    settings.repeatInfinite = true;
    EXPECT_EQ(PlaybackOptions(settings).repeatCount, std::nullopt);
}

TEST(PlaybackOptions, FromSettingsClampsDelayBetweenRepeats) {
    RecordingSettings settings;
    settings.delayBetweenRepeatsSec = 5000;
    EXPECT_EQ(PlaybackOptions(settings).delayBetweenRepeatsNanos, 3'600'000'000'000u);
    settings.delayBetweenRepeatsSec = 1.5;
    EXPECT_EQ(PlaybackOptions(settings).delayBetweenRepeatsNanos, 1'500'000'000u);
    settings.delayBetweenRepeatsSec = -2;
    EXPECT_EQ(PlaybackOptions(settings).delayBetweenRepeatsNanos, 0u);
    // Not a number would be undefined to convert; it means no pause.
    settings.delayBetweenRepeatsSec = std::nan("");
    EXPECT_EQ(PlaybackOptions(settings).delayBetweenRepeatsNanos, 0u);
    settings.delayBetweenRepeatsSec = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PlaybackOptions(settings).delayBetweenRepeatsNanos, 3'600'000'000'000u);
}

TEST(PlaybackOptions, FromSettingsClampsExtraClickDelay) {
    RecordingSettings settings;
    settings.extraDelayBeforeClickMs = -5;
    EXPECT_EQ(PlaybackOptions(settings).extraDelayBeforeClickNanos, 0u);
    settings.extraDelayBeforeClickMs = 3000;
    EXPECT_EQ(PlaybackOptions(settings).extraDelayBeforeClickNanos, 2'000'000'000u);
    settings.extraDelayBeforeClickMs = 250;
    EXPECT_EQ(PlaybackOptions(settings).extraDelayBeforeClickNanos, 250'000'000u);
    settings.extraDelayBeforeClickMs = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(PlaybackOptions(settings).extraDelayBeforeClickNanos, 0u);
}

TEST(PlaybackOptions, FromSettingsCopiesSpeedAndCursorMode) {
    RecordingSettings settings;
    settings.speed = 3;
    settings.cursorMode = CursorMode::relativeToScreen;
    EXPECT_EQ(PlaybackOptions(settings), PlaybackOptions(3, 1, 0, CursorMode::relativeToScreen, 0));
    settings.speed = std::nan("");
    EXPECT_EQ(PlaybackOptions(settings).speed, 1.0);
    settings.speed = 0.1;
    EXPECT_EQ(PlaybackOptions(settings).speed, 0.5);
}

}  // namespace
}  // namespace brevanor
