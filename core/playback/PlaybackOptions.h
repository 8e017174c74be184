#pragma once

#include <cstdint>
#include <optional>

#include "core/model/CursorMode.h"
#include "core/model/RecordingSettings.h"

namespace brevanor {

// The options of one playback. Default-constructed: speed 1.0, one run, no
// pause between runs, absolute positions, no extra delay before clicks.
struct PlaybackOptions {
    double speed = 1.0;                           // always within 0.5 to 10.0 when made by a constructor
    std::optional<std::int64_t> repeatCount = 1;  // 1 to 9999; absent repeats until stopped
    std::uint64_t delayBetweenRepeatsNanos = 0;
    CursorMode cursorMode = CursorMode::absolute;
    std::uint64_t extraDelayBeforeClickNanos = 0;  // inserted before every mouse-down

    PlaybackOptions() = default;
    // Stores the values with the speed clamped and a present repeat count clamped to 1...9999.
    PlaybackOptions(double speed, std::optional<std::int64_t> repeatCount, std::uint64_t delayBetweenRepeatsNanos,
                    CursorMode cursorMode, std::uint64_t extraDelayBeforeClickNanos);
    // From a recording's stored settings, each clamped into its editable range.
    explicit PlaybackOptions(const RecordingSettings& settings);

    // Not a finite number: 1.0; otherwise into 0.5...10.0.
    static double clampSpeed(double speed);

    friend bool operator==(const PlaybackOptions&, const PlaybackOptions&) = default;
};

}  // namespace brevanor
