#pragma once

// The payloads of the eight kinds of recorded event. Times are nanoseconds from
// the start of the recording; positions are global display points; modifiers
// are event flags.

#include <cstdint>
#include <vector>

#include "base/values/MouseButton.h"
#include "base/values/ScrollPayload.h"
#include "core/model/SaturatingMath.h"

namespace brevanor {

struct MouseButtonEvent {
    std::uint64_t t = 0;
    MouseButton button = MouseButton::left;
    std::int64_t buttonNumber = 0;
    double x = 0;
    double y = 0;
    std::int64_t clickCount = 1;
    std::uint64_t modifiers = 0;

    friend bool operator==(const MouseButtonEvent&, const MouseButtonEvent&) = default;
};

// One point of a mouse path, `dt` nanoseconds after the path's own `t`.
struct PathPoint {
    std::uint64_t dt = 0;
    double x = 0;
    double y = 0;

    friend bool operator==(const PathPoint&, const PathPoint&) = default;
};

// A run of cursor movement: plain moves and drags alike.
struct MousePathEvent {
    std::uint64_t t = 0;
    std::vector<PathPoint> points;

    std::uint64_t endTimestamp() const { return points.empty() ? t : saturatingAdd(t, points.back().dt); }

    friend bool operator==(const MousePathEvent&, const MousePathEvent&) = default;
};

struct ScrollEvent {
    std::uint64_t t = 0;
    double x = 0;
    double y = 0;
    ScrollPayload scroll;
    std::uint64_t modifiers = 0;

    friend bool operator==(const ScrollEvent&, const ScrollEvent&) = default;
};

struct KeyEvent {
    std::uint64_t t = 0;
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;
    bool isRepeat = false;  // auto-repeat key-down; always false for key-up

    friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

// A modifier key went down or up; `modifiers` are the flags after the change.
struct FlagsChangedEvent {
    std::uint64_t t = 0;
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;
    bool isDown = false;

    friend bool operator==(const FlagsChangedEvent&, const FlagsChangedEvent&) = default;
};

// A stretch in which nothing happened.
struct IdleGapEvent {
    std::uint64_t t = 0;
    std::uint64_t durationNanos = 0;

    std::uint64_t endTimestamp() const { return saturatingAdd(t, durationNanos); }

    friend bool operator==(const IdleGapEvent&, const IdleGapEvent&) = default;
};

}  // namespace brevanor
