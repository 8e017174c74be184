#include <gtest/gtest.h>

#include <regex>

#include "base/keys/HotkeyChord.h"
#include "base/keys/KeyCodeNames.h"
#include "platform/fake/FakeKeyboardLayout.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kCapsLock = 0x10000;

TEST(HotkeyChord, AcceptableWithModifiersOrOnAFunctionKeyAndMatchedIgnoringFlagsOutsideTheMask) {
    EXPECT_TRUE((HotkeyChord{0, HotkeyChord::shiftFlag}.isAcceptable()));
    EXPECT_TRUE((HotkeyChord{96, 0}.isAcceptable()));  // F5
    EXPECT_FALSE((HotkeyChord{0, 0}.isAcceptable()));
    EXPECT_FALSE((HotkeyChord{0, kCapsLock}.isAcceptable()));
    EXPECT_FALSE((HotkeyChord{63, 0}.isAcceptable()));   // fn, named "Fn" on Linux
    EXPECT_FALSE((HotkeyChord{114, 0}.isAcceptable()));  // Help (Insert)
    EXPECT_EQ((HotkeyChord{0, kCapsLock}.modifierNames()), "");
    EXPECT_EQ((HotkeyChord{0, kCapsLock | 0x100 | HotkeyChord::shiftFlag}.normalizedModifiers()),
              HotkeyChord::shiftFlag);

    // Matching ignores flags outside the mask; equality does not.
    const HotkeyChord chord = HotkeyChord::defaultRecord;
    const HotkeyChord withCapsLock{chord.keyCode, chord.modifiers | kCapsLock};
    EXPECT_NE(chord, withCapsLock);
    EXPECT_TRUE(chord.matches(withCapsLock.keyCode, withCapsLock.modifiers));
    EXPECT_TRUE(chord.matches(15, chord.modifiers | 0x100 | 0x2000));
    EXPECT_FALSE(chord.matches(15, chord.modifiers | HotkeyChord::shiftFlag));
    EXPECT_FALSE(chord.matches(16, chord.modifiers));
}

TEST(KeyCodeNames, OtherKeysShowTheirCharacterInUpperCaseOrElseTheirNumber) {
    FakeKeyboardLayout german = FakeKeyboardLayout::german();
    EXPECT_EQ(KeyCodeNames::name(0, &german), "A");
    EXPECT_EQ(KeyCodeNames::name(41, &german), "Ö");
    EXPECT_EQ(KeyCodeNames::name(27, &german), "SS");
    EXPECT_EQ(KeyCodeNames::name(43, &german), ",");
    EXPECT_EQ(KeyCodeNames::character(6, &german), "y");
    EXPECT_EQ(KeyCodeNames::character(6, nullptr), std::nullopt);
    FakeKeyboardLayout us = FakeKeyboardLayout::us();
    EXPECT_EQ(KeyCodeNames::character(36, &us), "\r");

    // Unprintable characters fall back to the number.
    FakeKeyboardLayout layout;
    layout.characters = {{200, "\r"},   {201, " "},      {202, "\u00a0"}, {203, ""},
                         {204, "\xff"}, {205, "\u200b"}, {206, "a\tb"}};
    for (std::uint16_t code = 200; code <= 207; ++code) {
        EXPECT_EQ(KeyCodeNames::name(code, &layout), "Key " + std::to_string(code));
    }
    EXPECT_EQ(KeyCodeNames::name(10, nullptr), "Key 10");  // no US key sits there
}

TEST(KeyCodeNames, EveryCodeHasANameAndOnlyF1ToF20AreFunctionKeys) {
    const std::regex functionName("F([1-9]|1[0-9]|20)");
    int functionKeys = 0;
    for (std::uint32_t code = 0; code <= 0xffff; ++code) {
        const auto keyCode = static_cast<std::uint16_t>(code);
        const std::string name = KeyCodeNames::name(keyCode, nullptr);
        ASSERT_FALSE(name.empty()) << code;
        const bool named = std::regex_match(name, functionName);
        ASSERT_EQ(KeyCodeNames::isFunctionKey(keyCode), named) << code << " " << name;
        functionKeys += named;
    }
    EXPECT_EQ(functionKeys, 20);
}

}  // namespace
}  // namespace brevanor
