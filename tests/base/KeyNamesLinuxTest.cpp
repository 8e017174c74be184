#include <gtest/gtest.h>

#include "base/keys/HotkeyChord.h"
#include "base/keys/KeyCodeNames.h"
#include "core/checks/HotkeyConflicts.h"
#include "platform/fake/FakeKeyboardLayout.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kAllModifiers = HotkeyChord::modifierMask;

// Shortcuts as GNOME and KDE write them: names joined by "+", Ctrl first and Super last.
TEST(KeyNamesOnLinux, ShortcutsAreNamesJoinedByPlusAsOnTheUsLayoutWithoutALayout) {
    FakeKeyboardLayout us = FakeKeyboardLayout::us();
    EXPECT_EQ(HotkeyChord::defaultRecord.displayString(&us), "Ctrl+Alt+Super+R");
    EXPECT_EQ(HotkeyChord::defaultStop.displayString(&us), "Ctrl+Alt+Super+X");
    EXPECT_EQ((HotkeyChord{0, kAllModifiers | 0x10000}.displayString(&us)), "Fn+Ctrl+Alt+Shift+Super+A");
    EXPECT_EQ((HotkeyChord{96, 0}.displayString(&us)), "F5");
    EXPECT_EQ((HotkeyChord{53, HotkeyChord::shiftFlag}.displayString(&us)), "Shift+Esc");
    FakeKeyboardLayout german = FakeKeyboardLayout::german();  // a layout that knows the key wins
    EXPECT_EQ((HotkeyChord{16, HotkeyChord::commandFlag}.displayString(&german)), "Super+Z");

    // Without a layout keys are named as on the US layout.
    EXPECT_EQ(HotkeyChord::defaultRecord.displayString(nullptr), "Ctrl+Alt+Super+R");
    EXPECT_EQ(KeyCodeNames::name(41, nullptr), ";");
    EXPECT_EQ(KeyCodeNames::name(36, nullptr), "Return");
    EXPECT_EQ(KeyCodeNames::name(114, nullptr), "Insert");
}

TEST(KeyNamesOnLinux, ConflictsNameTheDesktopsShortcuts) {
    FakeKeyboardLayout us = FakeKeyboardLayout::us();
    EXPECT_EQ(HotkeyConflicts::conflicts({48, HotkeyChord::optionFlag}, {}, &us),
              std::vector<std::string>{"Used by the desktop: Switch applications (Alt+Tab)"});
    // Every row is written the way the shortcut field writes its chord.
    for (const KnownShortcut& row : HotkeyConflicts::systemShortcuts()) {
        EXPECT_TRUE(row.description.ends_with("(" + row.chord.displayString(&us) + ")")) << row.description;
    }
}

}  // namespace
}  // namespace brevanor
