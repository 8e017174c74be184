#include "core/playback/PlaybackOptions.h"

#include <cmath>

namespace brevanor {

namespace {

constexpr double kNanosPerSecond = 1'000'000'000.0;
constexpr std::uint64_t kNanosPerMilli = 1'000'000;

std::optional<std::int64_t> clampRepeatCount(std::optional<std::int64_t> count) {
    if (!count) return std::nullopt;
    return RecordingSettings::repeatRange.clamp(*count);
}

}  // namespace

PlaybackOptions::PlaybackOptions(double speed, std::optional<std::int64_t> repeatCount,
                                 std::uint64_t delayBetweenRepeatsNanos, CursorMode cursorMode,
                                 std::uint64_t extraDelayBeforeClickNanos)
    : speed(clampSpeed(speed)),
      repeatCount(clampRepeatCount(repeatCount)),
      delayBetweenRepeatsNanos(delayBetweenRepeatsNanos),
      cursorMode(cursorMode),
      extraDelayBeforeClickNanos(extraDelayBeforeClickNanos) {}

PlaybackOptions::PlaybackOptions(const RecordingSettings& settings)
    : speed(clampSpeed(settings.speed)),
      repeatCount(settings.repeatInfinite ? std::nullopt : clampRepeatCount(settings.repeatCount)),
      cursorMode(settings.cursorMode) {
    // A delay that is not a number counts as none: converting it to an integer would be undefined.
    double delaySec = settings.delayBetweenRepeatsSec;
    if (!(delaySec > 0)) delaySec = 0;
    if (delaySec > RecordingSettings::delayRange.upperBound) delaySec = RecordingSettings::delayRange.upperBound;
    delayBetweenRepeatsNanos = static_cast<std::uint64_t>(delaySec * kNanosPerSecond);

    std::int64_t extraMs = settings.extraDelayBeforeClickMs;
    if (extraMs < 1) extraMs = 0;
    if (extraMs > RecordingSettings::extraClickDelayRange.upperBound) {
        extraMs = RecordingSettings::extraClickDelayRange.upperBound;
    }
    extraDelayBeforeClickNanos = static_cast<std::uint64_t>(extraMs) * kNanosPerMilli;
}

double PlaybackOptions::clampSpeed(double speed) {
    if (!std::isfinite(speed)) return 1.0;
    if (speed <= RecordingSettings::speedRange.lowerBound) return RecordingSettings::speedRange.lowerBound;
    if (speed > RecordingSettings::speedRange.upperBound) return RecordingSettings::speedRange.upperBound;
    return speed;
}

}  // namespace brevanor
