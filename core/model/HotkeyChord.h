#pragma once

#include <cstdint>
#include <functional>

namespace brevanor {

// A keyboard shortcut: a platform-neutral virtual key code and modifier flags
// in the event-flag layout (Shift 0x20000, Control 0x40000, Option 0x80000,
// Command 0x100000, fn 0x800000).
struct HotkeyChord {
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;

    friend bool operator==(const HotkeyChord&, const HotkeyChord&) = default;
};

}  // namespace brevanor

template <>
struct std::hash<brevanor::HotkeyChord> {
    std::size_t operator()(const brevanor::HotkeyChord& chord) const noexcept {
        return std::hash<std::uint64_t>{}(chord.modifiers * 65536u + chord.keyCode);
    }
};
