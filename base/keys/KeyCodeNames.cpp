#include "base/keys/KeyCodeNames.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf.h>

#include "base/keys/KeyNameTable.h"
#include "base/platform/KeyboardLayout.h"
#include "base/text/Localized.h"

namespace brevanor::KeyCodeNames {

namespace {

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
    if (const auto fixed = KeyNameTable::fixedName(keyCode)) return std::string(*fixed);
    auto typed = character(keyCode, layout);
    if (!typed) {
        if (const auto us = KeyNameTable::usCharacter(keyCode)) typed = std::string(*us);
    }
    // Keys that type a return, a tab or nothing visible are named by number.
    if (typed && !typed->empty() && isPrintable(*typed)) return upperCased(*typed);
    return tr("Key ") + std::to_string(keyCode);
}

std::optional<std::string> character(std::uint16_t keyCode, KeyboardLayout* layout) {
    if (layout == nullptr) return std::nullopt;
    return layout->character(keyCode);
}

bool isFunctionKey(std::uint16_t keyCode) {
    const auto fixed = KeyNameTable::fixedName(keyCode);
    return fixed && fixed->size() >= 2 && fixed->size() <= 3 && fixed->front() == 'F' && (*fixed)[1] >= '1' &&
           (*fixed)[1] <= '9';
}

}  // namespace brevanor::KeyCodeNames
