#pragma once

#include <cstdint>

#include "base/values/MouseButton.h"
#include "base/values/Point.h"
#include "base/values/ScrollPayload.h"

namespace brevanor {

// One input event as the system-wide listener delivers it to its consumers.
struct TapEvent {
    // What happened, with its payload. A flat tagged value: the listener
    // delivers every event of the system, so it stays cheap to copy and test.
    struct Kind {
        enum class Type { mouseDown, mouseUp, scroll, keyDown, keyUp, flagsChanged, mouseMoved };

        Type type = Type::mouseMoved;
        MouseButton button = MouseButton::left;  // mouseDown, mouseUp
        std::int64_t buttonNumber = 0;           // mouseDown, mouseUp
        std::int64_t clickCount = 0;             // mouseDown, mouseUp
        ScrollPayload scroll;                    // scroll
        std::uint16_t keyCode = 0;               // keyDown, keyUp, flagsChanged
        bool isRepeat = false;                   // keyDown

        static Kind mouseDown(MouseButton b, std::int64_t number, std::int64_t clicks) {
            return {Type::mouseDown, b, number, clicks, {}, 0, false};
        }
        static Kind mouseUp(MouseButton b, std::int64_t number, std::int64_t clicks) {
            return {Type::mouseUp, b, number, clicks, {}, 0, false};
        }
        static Kind scrollWheel(ScrollPayload payload) {
            return {Type::scroll, MouseButton::left, 0, 0, payload, 0, false};
        }
        static Kind keyDown(std::uint16_t code, bool repeat) {
            return {Type::keyDown, MouseButton::left, 0, 0, {}, code, repeat};
        }
        static Kind keyUp(std::uint16_t code) { return {Type::keyUp, MouseButton::left, 0, 0, {}, code, false}; }
        static Kind flagsChanged(std::uint16_t code) {
            return {Type::flagsChanged, MouseButton::left, 0, 0, {}, code, false};
        }
        static Kind mouseMoved() { return {}; }

        friend bool operator==(const Kind&, const Kind&) = default;
    };

    Kind kind;
    std::uint64_t timestamp = 0;  // MonotonicClock nanoseconds
    Point location;               // global display points
    std::uint64_t flags = 0;      // modifier flags in the event-flag layout
    std::int32_t targetPID = 0;   // process the event is addressed to
    bool isSynthetic = false;     // carried Brevanor's synthetic marker

    friend bool operator==(const TapEvent&, const TapEvent&) = default;
};

}  // namespace brevanor
