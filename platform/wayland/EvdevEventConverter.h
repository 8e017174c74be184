#pragma once

#include <linux/input.h>

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/values/TapEvent.h"

namespace brevanor {

// Turns the kernel's input events, of all devices of the session, into
// TapEvents. Keys become neutral key codes (modifiers as flagsChanged with the
// session's modifier flags), buttons mouse presses, wheels scrolls, and the
// relative motion of each report (up to its SYN_REPORT) one move. Each event
// keeps its own kernel time stamp. Mice report deltas, and touchpads the
// finger's place on the pad, whose changes while the finger rests count as
// deltas; the compositor accelerates both. So the location is the sum of raw
// deltas from (0, 0), a relative position and never the pointer's place on
// the screen.
class EvdevEventConverter {
public:
    // The TapEvents one kernel event completes (none, one, or several).
    std::vector<TapEvent> convert(const input_event& event);

    // The modifier flags and position as they stand.
    std::uint64_t flags() const { return flags_; }
    Point location() const { return location_; }

private:
    std::optional<TapEvent> key(const input_event& event, std::uint64_t time);
    std::optional<TapEvent> button(const input_event& event, std::uint64_t time);
    TapEvent at(TapEvent::Kind kind, std::uint64_t time) const;

    std::uint64_t flags_ = 0;
    bool capsLocked_ = false;
    std::bitset<64> modifiersHeld_;  // neutral modifier key codes, 54...63, by offset from 0
    Point location_;
    double pendingX_ = 0;
    double pendingY_ = 0;
    bool moved_ = false;
    // A touchpad's last finger place, while a finger rests on it.
    std::optional<std::int32_t> padX_;
    std::optional<std::int32_t> padY_;
};

}  // namespace brevanor
