#include "core/checks/KeyCodeNames.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "brevanor/platform/KeyboardLayout.h"
#include "core/model/Localized.h"

namespace brevanor::KeyCodeNames {

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

std::optional<std::string_view> tableName(std::uint16_t keyCode) {
    const auto found =
        std::find_if(kTable.begin(), kTable.end(), [keyCode](const Entry& entry) { return entry.keyCode == keyCode; });
    if (found == kTable.end()) return std::nullopt;
    return found->name;
}

// Whether the text is valid UTF-8 holding only characters that can stand as a
// key's name: no control or format character, no white space.
bool isPrintable(const std::string& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t offset = 0;
    while (offset < length) {
        UChar32 c;
        U8_NEXT(bytes, offset, length, c);
        if (c < 0) return false;
        const auto category = static_cast<UCharCategory>(u_charType(c));
        if (category == U_CONTROL_CHAR || category == U_FORMAT_CHAR || u_isUWhiteSpace(c)) return false;
    }
    return true;
}

std::string upperCased(const std::string& text) {
    std::string result;
    icu::UnicodeString::fromUTF8(text).toUpper(icu::Locale::getRoot()).toUTF8String(result);
    return result;
}

}  // namespace

std::string name(std::uint16_t keyCode, KeyboardLayout* layout) {
    if (const auto fixed = tableName(keyCode)) return std::string(*fixed);
    const auto typed = character(keyCode, layout);
    // Keys that type a return, a tab or nothing visible are named by number.
    if (typed && !typed->empty() && isPrintable(*typed)) return upperCased(*typed);
    return tr("Key ") + std::to_string(keyCode);
}

std::optional<std::string> character(std::uint16_t keyCode, KeyboardLayout* layout) {
    if (layout == nullptr) return std::nullopt;
    return layout->character(keyCode);
}

bool isFunctionKey(std::uint16_t keyCode) {
    const auto fixed = tableName(keyCode);
    return fixed && fixed->starts_with('F') && fixed->size() < 4;
}

}  // namespace brevanor::KeyCodeNames
