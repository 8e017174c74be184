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

// As GNOME and KDE write them. The keys in the places of the Mac's Help and
// keypad Clear are Insert and Num Lock on a PC keyboard.
constexpr std::array<Entry, 47> kFixed{{
    {36, "Return"},     {48, "Tab"},     {49, "Space"},  {51, "Backspace"}, {53, "Esc"},     {71, "Num Lock"},
    {76, "Enter"},      {114, "Insert"}, {115, "Home"},  {116, "Page Up"},  {117, "Delete"}, {119, "End"},
    {121, "Page Down"}, {123, "Left"},   {124, "Right"}, {125, "Down"},     {126, "Up"},     {122, "F1"},
    {120, "F2"},        {99, "F3"},      {118, "F4"},    {96, "F5"},        {97, "F6"},      {98, "F7"},
    {100, "F8"},        {101, "F9"},     {109, "F10"},   {103, "F11"},      {111, "F12"},    {105, "F13"},
    {107, "F14"},       {113, "F15"},    {106, "F16"},   {64, "F17"},       {79, "F18"},     {80, "F19"},
    {90, "F20"},        {54, "Super"},   {55, "Super"},  {56, "Shift"},     {60, "Shift"},   {58, "Alt"},
    {61, "Alt"},        {59, "Ctrl"},    {62, "Ctrl"},   {57, "Caps Lock"}, {63, "Fn"},
}};

// The US layout's characters of the letter, digit and punctuation keys.
constexpr std::array<Entry, 47> kUs{{
    {0, "a"},   {1, "s"},  {2, "d"},  {3, "f"},  {4, "h"},  {5, "g"},  {6, "z"},  {7, "x"},  {8, "c"},  {9, "v"},
    {11, "b"},  {12, "q"}, {13, "w"}, {14, "e"}, {15, "r"}, {16, "y"}, {17, "t"}, {18, "1"}, {19, "2"}, {20, "3"},
    {21, "4"},  {22, "6"}, {23, "5"}, {24, "="}, {25, "9"}, {26, "7"}, {27, "-"}, {28, "8"}, {29, "0"}, {30, "]"},
    {31, "o"},  {32, "u"}, {33, "["}, {34, "i"}, {35, "p"}, {37, "l"}, {38, "j"}, {39, "'"}, {40, "k"}, {41, ";"},
    {42, "\\"}, {43, ","}, {44, "/"}, {45, "n"}, {46, "m"}, {47, "."}, {50, "`"},
}};

template <std::size_t N>
std::optional<std::string_view> lookUp(const std::array<Entry, N>& table, std::uint16_t keyCode) {
    const auto found =
        std::find_if(table.begin(), table.end(), [keyCode](const Entry& entry) { return entry.keyCode == keyCode; });
    if (found == table.end()) return std::nullopt;
    return found->name;
}

}  // namespace

std::optional<std::string_view> fixedName(std::uint16_t keyCode) { return lookUp(kFixed, keyCode); }

std::optional<std::string_view> usCharacter(std::uint16_t keyCode) { return lookUp(kUs, keyCode); }

std::string modifierNames(std::uint64_t modifiers) {
    std::string names;
    const auto add = [&names](std::string_view name) {
        if (!names.empty()) names += '+';
        names += name;
    };
    if (modifiers & ModifierKeys::secondaryFnMask) add("Fn");
    if (modifiers & ModifierKeys::controlMask) add("Ctrl");
    if (modifiers & ModifierKeys::alternateMask) add("Alt");
    if (modifiers & ModifierKeys::shiftMask) add("Shift");
    if (modifiers & ModifierKeys::commandMask) add("Super");
    return names;
}

std::string shortcut(const std::string& modifierNames, const std::string& keyName) {
    return modifierNames.empty() ? keyName : modifierNames + "+" + keyName;
}

}  // namespace brevanor::KeyNameTable
