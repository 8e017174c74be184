#pragma once

#include <cstdint>

#include "base/values/MouseButton.h"

namespace brevanor {

// One neutral synthetic input event, as the event poster decided it: the
// platform injector only turns it into the platform's own event and posts it.
struct SyntheticInput {
    enum class Type { mouseMoved, mouseDragged, mouseDown, mouseUp, scroll, keyDown, keyUp, flagsChanged };

    Type type = Type::mouseMoved;
    double x = 0;  // pointer events: global display points
    double y = 0;
    MouseButton button = MouseButton::left;  // drag, down, up: left, right, or middle for every further one
    std::int64_t buttonNumber = 0;           // the platform button number (0 left, 1 right, 2 middle, 3...)
    std::int64_t clickCount = 0;             // mouseDown, mouseUp
    bool pixelUnits = false;                 // scroll: pixel deltas (continuous) instead of lines
    std::int32_t wheelVertical = 0;          // scroll: first wheel
    std::int32_t wheelHorizontal = 0;        // scroll: second wheel
    std::uint32_t scrollPhase = 0;
    std::uint32_t momentumPhase = 0;
    std::uint16_t keyCode = 0;  // keyDown, keyUp, flagsChanged: platform-neutral virtual key code
    bool keyIsDown = false;     // flagsChanged: the modifier key went down
    std::uint64_t flags = 0;    // modifier flags in the event-flag layout

    friend bool operator==(const SyntheticInput&, const SyntheticInput&) = default;
};

}  // namespace brevanor
