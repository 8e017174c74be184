#pragma once

#include <cstdint>
#include <optional>

namespace brevanor {

// The ten modifier keys, which occupy the virtual key codes 54 to 63, and the
// event-flag bits they set. Left and right keys of one kind share a mask. The
// one definition of the flag layout: shortcuts and every backend use these.
namespace ModifierKeys {

inline constexpr std::uint64_t alphaShiftMask = 0x10000;  // Caps Lock
inline constexpr std::uint64_t shiftMask = 0x20000;
inline constexpr std::uint64_t controlMask = 0x40000;
inline constexpr std::uint64_t alternateMask = 0x80000;  // Option / Alt
inline constexpr std::uint64_t commandMask = 0x100000;   // Command / Super
inline constexpr std::uint64_t secondaryFnMask = 0x800000;

inline constexpr std::uint16_t capsLockKeyCode = 57;
inline constexpr std::uint16_t firstKeyCode = 54;
inline constexpr std::uint16_t endKeyCode = 64;  // one past the last modifier key code

constexpr bool isModifierKey(std::uint16_t keyCode) { return keyCode >= firstKeyCode && keyCode < endKeyCode; }

// The flag mask of a modifier key; nothing for every other key code.
constexpr std::optional<std::uint64_t> flagMask(std::uint16_t keyCode) {
    switch (keyCode) {
        case 54:  // right Command
        case 55: return commandMask;
        case 56:  // left Shift
        case 60: return shiftMask;
        case capsLockKeyCode: return alphaShiftMask;
        case 58:  // left Option
        case 61: return alternateMask;
        case 59:  // left Control
        case 62: return controlMask;
        case 63: return secondaryFnMask;
        default: return std::nullopt;
    }
}

// True when `keyCode` is a modifier key and `flags` hold any bit of its mask.
constexpr bool isDown(std::uint16_t keyCode, std::uint64_t flags) {
    const std::optional<std::uint64_t> mask = flagMask(keyCode);
    return mask && (flags & *mask) != 0;
}

}  // namespace ModifierKeys

}  // namespace brevanor
