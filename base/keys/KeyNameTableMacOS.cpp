#include <algorithm>
#include <array>

#include "base/keys/KeyNameTable.h"
#include "base/values/ModifierKeys.h"

namespace brevanor::KeyNameTable {

namespace {

struct Entry {
    std::uint16_t keyCode;
    std::string_view name;
};

constexpr std::array<Entry, 47> kTable{{
    {36, "↩"},    {48, "⇥"},   {49, "Space"}, {51, "⌫"},    {53, "⎋"},    {71, "⌧"},    {76, "⌅"},    {114, "Help"},
    {115, "↖"},   {116, "⇞"},  {117, "⌦"},    {119, "↘"},   {121, "⇟"},   {123, "←"},   {124, "→"},   {125, "↓"},
    {126, "↑"},   {122, "F1"}, {120, "F2"},   {99, "F3"},   {118, "F4"},  {96, "F5"},   {97, "F6"},   {98, "F7"},
    {100, "F8"},  {101, "F9"}, {109, "F10"},  {103, "F11"}, {111, "F12"}, {105, "F13"}, {107, "F14"}, {113, "F15"},
    {106, "F16"}, {64, "F17"}, {79, "F18"},   {80, "F19"},  {90, "F20"},  {54, "⌘"},    {55, "⌘"},    {56, "⇧"},
    {60, "⇧"},    {58, "⌥"},   {61, "⌥"},     {59, "⌃"},    {62, "⌃"},    {57, "⇪"},    {63, "fn"},
}};

}  // namespace

std::optional<std::string_view> fixedName(std::uint16_t keyCode) {
    const auto found =
        std::find_if(kTable.begin(), kTable.end(), [keyCode](const Entry& entry) { return entry.keyCode == keyCode; });
    if (found == kTable.end()) return std::nullopt;
    return found->name;
}

std::optional<std::string_view> usCharacter(std::uint16_t) { return std::nullopt; }

std::string modifierNames(std::uint64_t modifiers) {
    std::string symbols;
    if (modifiers & ModifierKeys::secondaryFnMask) symbols += "fn";
    if (modifiers & ModifierKeys::controlMask) symbols += "⌃";
    if (modifiers & ModifierKeys::alternateMask) symbols += "⌥";
    if (modifiers & ModifierKeys::shiftMask) symbols += "⇧";
    if (modifiers & ModifierKeys::commandMask) symbols += "⌘";
    return symbols;
}

std::string shortcut(const std::string& modifierNames, const std::string& keyName) { return modifierNames + keyName; }

}  // namespace brevanor::KeyNameTable
