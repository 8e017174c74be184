#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brevanor {

class KeyboardLayout;

// The names keys are shown with in shortcuts: a fixed table for keys whose
// printed character says nothing (arrows, function keys, modifiers), the
// keyboard layout's character for the rest, where this system has one the US
// layout's when no layout is known.
namespace KeyCodeNames {

// Never empty: the table's name, else the layout's character (or without a
// layout the US one's, on Linux) in upper case, else "Key " and the code.
// `layout` may be null.
std::string name(std::uint16_t keyCode, KeyboardLayout* layout);
// What the key types on the layout without modifiers; nothing without a layout.
std::optional<std::string> character(std::uint16_t keyCode, KeyboardLayout* layout);
// The keys named F1 to F20.
bool isFunctionKey(std::uint16_t keyCode);

}  // namespace KeyCodeNames

}  // namespace brevanor
