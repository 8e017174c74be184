#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "base/keys/HotkeyChord.h"
#include "core/model/CursorMode.h"
#include "core/model/PreflightWarningKind.h"

namespace brevanor {

// A closed range of allowed values for one editable setting.
template <typename T>
struct ClosedRange {
    T lowerBound;
    T upperBound;
    constexpr bool contains(T value) const { return value >= lowerBound && value <= upperBound; }
    constexpr T clamp(T value) const {
        return value < lowerBound ? lowerBound : (value > upperBound ? upperBound : value);
    }
};

// Per-recording playback settings. Stored values are kept as they are, even
// outside the ranges; playback clamps them when it builds its options.
struct RecordingSettings {
    std::int64_t repeatCount = 1;
    bool repeatInfinite = false;
    double delayBetweenRepeatsSec = 0.0;
    double speed = 1.0;
    CursorMode cursorMode = CursorMode::absolute;
    std::optional<HotkeyChord> playHotkey;
    std::string notes;
    bool containsSensitiveInput = false;
    std::int64_t extraDelayBeforeClickMs = 0;
    std::set<PreflightWarningKind> silencedWarnings;

    static constexpr ClosedRange<std::int64_t> repeatRange{1, 9999};
    static constexpr ClosedRange<double> delayRange{0.0, 3600.0};
    static constexpr ClosedRange<double> speedRange{0.5, 10.0};
    static constexpr ClosedRange<std::int64_t> extraClickDelayRange{0, 2000};

    friend bool operator==(const RecordingSettings&, const RecordingSettings&) = default;
};

}  // namespace brevanor
