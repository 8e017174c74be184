#include <gtest/gtest.h>

#include "base/keys/HotkeyChord.h"
#include "base/keys/KeyCodeNames.h"
#include "core/checks/HotkeyConflicts.h"
#include "platform/fake/FakeKeyboardLayout.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kCapsLock = 0x10000;
constexpr std::uint64_t kAllModifiers = HotkeyChord::modifierMask;
constexpr std::uint64_t kCommand = HotkeyChord::commandFlag;
constexpr std::uint64_t kShift = HotkeyChord::shiftFlag;

TEST(KeyNamesOnTheMac, ShortcutsAreGlyphsInFixedOrder) {
    FakeKeyboardLayout us = FakeKeyboardLayout::us();
    EXPECT_EQ(HotkeyChord::defaultRecord.displayString(&us), "⌃⌥⌘R");
    EXPECT_EQ(HotkeyChord::defaultPlayLast.displayString(&us), "⌃⌥⌘P");
    FakeKeyboardLayout cyrillic = us;
    cyrillic.characters[15] = "к";
    EXPECT_EQ(HotkeyChord::defaultRecord.displayString(&cyrillic), "⌃⌥⌘К");
    EXPECT_EQ((HotkeyChord{0, kAllModifiers | kCapsLock}.displayString(&us)), "fn⌃⌥⇧⌘A");
    EXPECT_EQ((HotkeyChord{0, kShift | HotkeyChord::optionFlag}.modifierNames()), "⌥⇧");
    EXPECT_EQ((HotkeyChord{0, kCommand}.displayString(nullptr)), "⌘Key 0");
    EXPECT_EQ(KeyCodeNames::name(36, &us), "↩");
    EXPECT_EQ(KeyCodeNames::name(53, nullptr), "⎋");
    EXPECT_EQ(KeyCodeNames::name(63, nullptr), "fn");
}

TEST(KeyNamesOnTheMac, ConflictsNameTheSystemsShortcuts) {
    FakeKeyboardLayout us = FakeKeyboardLayout::us();
    const auto& rows = HotkeyConflicts::systemShortcuts();
    ASSERT_EQ(rows.size(), 45u);
    EXPECT_EQ(rows.front(), (KnownShortcut{{49, kCommand}, "Spotlight (⌘Space)"}));
    EXPECT_EQ(HotkeyConflicts::conflicts({12, kShift | kCommand}, {}, &us),
              std::vector<std::string>{"Used by macOS: Log out (⇧⌘Q)"});
    EXPECT_EQ(HotkeyConflicts::conflicts({118, 0}, {}, &us), std::vector<std::string>{"Used by macOS: Launchpad (F4)"});
}

}  // namespace
}  // namespace brevanor
