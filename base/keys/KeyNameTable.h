#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevanor {

// How this system writes keys and shortcuts: the Mac with its glyphs run
// together (⌃⌥⌘R), Linux desktops with names joined by "+" (Ctrl+Alt+Super+R).
// One implementation per system, chosen when building.
namespace KeyNameTable {

// The fixed name of a key whose printed character says nothing (arrows,
// function keys, modifiers, Return); nothing for the other keys.
std::optional<std::string_view> fixedName(std::uint16_t keyCode);
// What the key types on the US layout, used when no layout is known; nothing
// where keys without a layout are named by number.
std::optional<std::string_view> usCharacter(std::uint16_t keyCode);
// The modifiers among `modifiers` (in the event-flag layout) in this system's
// order and writing; empty without any.
std::string modifierNames(std::uint64_t modifiers);
// A shortcut written from its modifiers' names and its key's name.
std::string shortcut(const std::string& modifierNames, const std::string& keyName);

}  // namespace KeyNameTable

}  // namespace brevanor
