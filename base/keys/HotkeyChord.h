#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/values/ModifierKeys.h"

namespace brevanor {

class KeyboardLayout;

// A keyboard shortcut: a platform-neutral virtual key code and modifier flags
// in the event-flag layout of ModifierKeys.
// The value lives here, beside the other plain types the platform interfaces
// take; its texts and rules come from the key-name tables, so its functions
// are defined with them in core/checks/HotkeyChord.cpp.
struct HotkeyChord {
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;

    static constexpr std::uint64_t shiftFlag = ModifierKeys::shiftMask;
    static constexpr std::uint64_t controlFlag = ModifierKeys::controlMask;
    static constexpr std::uint64_t optionFlag = ModifierKeys::alternateMask;
    static constexpr std::uint64_t commandFlag = ModifierKeys::commandMask;
    static constexpr std::uint64_t functionFlag = ModifierKeys::secondaryFnMask;
    // The modifiers that take part in a shortcut; Caps Lock and every other flag never do.
    static constexpr std::uint64_t modifierMask = shiftFlag | controlFlag | optionFlag | commandFlag | functionFlag;
    static constexpr std::uint16_t escapeKeyCode = 53;

    static const HotkeyChord defaultRecord;    // Control + Option + Command + R
    static const HotkeyChord defaultPlayLast;  // Control + Option + Command + P
    static const HotkeyChord defaultStop;      // Control + Option + Command + X

    constexpr std::uint64_t normalizedModifiers() const { return modifiers & modifierMask; }
    constexpr bool hasModifiers() const { return normalizedModifiers() != 0; }
    // A chord without modifiers would fire on every press of its key, unless that key is a function key.
    bool isAcceptable() const;
    // The set modifiers as this system writes them, in its fixed order: fn ⌃ ⌥ ⇧ ⌘
    // on the Mac, Fn+Ctrl+Alt+Shift+Super on Linux.
    std::string modifierNames() const;
    // The shortcut as this system writes it (⌃⌥⌘R, Ctrl+Alt+Super+R); `layout`
    // names the keys that have no fixed name (may be null).
    std::string displayString(KeyboardLayout* layout) const;
    // Whether a key event is this chord; only the modifiers under the mask count.
    constexpr bool matches(std::uint16_t otherKeyCode, std::uint64_t flags) const {
        return keyCode == otherKeyCode && normalizedModifiers() == (flags & modifierMask);
    }

    friend bool operator==(const HotkeyChord&, const HotkeyChord&) = default;
};

inline constexpr HotkeyChord HotkeyChord::defaultRecord{15, controlFlag | optionFlag | commandFlag};
inline constexpr HotkeyChord HotkeyChord::defaultPlayLast{35, controlFlag | optionFlag | commandFlag};
inline constexpr HotkeyChord HotkeyChord::defaultStop{7, controlFlag | optionFlag | commandFlag};

}  // namespace brevanor

template <>
struct std::hash<brevanor::HotkeyChord> {
    std::size_t operator()(const brevanor::HotkeyChord& chord) const noexcept {
        return std::hash<std::uint64_t>{}(chord.modifiers * 65536u + chord.keyCode);
    }
};
