#include <gtest/gtest.h>

#include "core/checks/HotkeyConflicts.h"
#include "platform/fake/FakeKeyboardLayout.h"

namespace brevanor {
namespace {

using Messages = std::vector<std::string>;
constexpr std::uint64_t kCommand = HotkeyChord::commandFlag;
constexpr std::uint64_t kShift = HotkeyChord::shiftFlag;

class HotkeyConflictsTest : public ::testing::Test {
protected:
    Messages conflicts(HotkeyChord chord, const std::vector<HotkeyConflicts::Binding>& others = {}) {
        return HotkeyConflicts::conflicts(chord, others, &layout_);
    }

    FakeKeyboardLayout layout_ = FakeKeyboardLayout::us();
};

TEST_F(HotkeyConflictsTest, TableHoldsFortyFiveRowsThatEachMatchThemselves) {
    const auto& rows = HotkeyConflicts::systemShortcuts();
    ASSERT_EQ(rows.size(), 45u);
    EXPECT_EQ(rows.front(), (KnownShortcut{{49, kCommand}, "Spotlight (⌘Space)"}));
    EXPECT_EQ(rows[33], (KnownShortcut{{53, HotkeyChord::optionFlag | kCommand}, "Force Quit (⌥⌘⎋)"}));
    EXPECT_EQ(rows.back(), (KnownShortcut{{103, 0}, "Show Desktop (F11)"}));
    for (const KnownShortcut& row : rows) {
        // Each chord is unique in the table, so it yields exactly its own row.
        EXPECT_EQ(conflicts(row.chord), Messages{"Used by macOS: " + row.description}) << row.description;
    }
}

TEST_F(HotkeyConflictsTest, SystemShortcutsMatchUnderTheMask) {
    EXPECT_EQ(conflicts({49, kCommand}), Messages{"Used by macOS: Spotlight (⌘Space)"});
    EXPECT_EQ(conflicts({49, kCommand | 0x10000}), Messages{"Used by macOS: Spotlight (⌘Space)"});
    EXPECT_EQ(conflicts({12, kShift | kCommand}), Messages{"Used by macOS: Log out (⇧⌘Q)"});
    EXPECT_EQ(conflicts({118, 0}), Messages{"Used by macOS: Launchpad (F4)"});
    EXPECT_EQ(conflicts({96, 0}), Messages{});
    EXPECT_EQ(conflicts(HotkeyChord::defaultRecord), Messages{});
}

TEST_F(HotkeyConflictsTest, KeyWithoutModifierIsNamedInTheMessage) {
    EXPECT_EQ(conflicts({0, 0}), Messages{"Add a modifier key, or this fires every time you type A."});
    EXPECT_EQ(conflicts({49, 0}), Messages{"Add a modifier key, or this fires every time you type Space."});
    EXPECT_EQ(HotkeyConflicts::conflicts({10, 0}, {}, nullptr),
              Messages{"Add a modifier key, or this fires every time you type Key 10."});
}

TEST_F(HotkeyConflictsTest, EveryHitIsKeptInPassOrder) {
    const std::vector<HotkeyConflicts::Binding> others{
        {"Play “Invoice”", {0, 0x10000}}, {"Stop", HotkeyChord::defaultStop}, {"Play Notes", {0, 0}}};
    EXPECT_EQ(conflicts({0, 0}, others),
              (Messages{"Add a modifier key, or this fires every time you type A.",
                        "Already assigned to “Play “Invoice””", "Already assigned to “Play Notes”"}));

    const std::vector<HotkeyConflicts::Binding> twice{{"Record", {12, kCommand}}, {"Record", {12, kCommand}}};
    EXPECT_EQ(conflicts({12, kCommand}, twice),
              (Messages{"Used by macOS: Quit (⌘Q)", "Already assigned to “Record”", "Already assigned to “Record”"}));
}

}  // namespace
}  // namespace brevanor
