#include <gtest/gtest.h>

#include "core/checks/HotkeyConflicts.h"
#include "core/checks/SystemShortcuts.h"
#include "platform/fake/FakeKeyboardLayout.h"

namespace brevanor {
namespace {

using Messages = std::vector<std::string>;

class HotkeyConflictsTest : public ::testing::Test {
protected:
    Messages conflicts(HotkeyChord chord, const std::vector<HotkeyConflicts::Binding>& others = {}) {
        return HotkeyConflicts::conflicts(chord, others, &layout_);
    }

    FakeKeyboardLayout layout_ = FakeKeyboardLayout::us();
};

TEST_F(HotkeyConflictsTest, EachSystemShortcutMatchesItselfUnderTheMask) {
    const auto& rows = HotkeyConflicts::systemShortcuts();
    ASSERT_GE(rows.size(), 20u);
    for (const KnownShortcut& row : rows) {
        // Each chord is unique in the table, so it yields exactly its own row.
        const Messages own{SystemShortcuts::usedBy() + row.description};
        EXPECT_EQ(conflicts(row.chord), own) << row.description;
        EXPECT_EQ(conflicts({row.chord.keyCode, row.chord.modifiers | 0x10000}), own) << "Caps Lock does not count";
    }
    EXPECT_EQ(conflicts(HotkeyChord::defaultRecord), Messages{});
}

TEST_F(HotkeyConflictsTest, KeyWithoutModifierIsNamedInTheMessageAndEveryHitIsKeptInPassOrder) {
    EXPECT_EQ(conflicts({49, 0}), Messages{"Add a modifier key, or this fires every time you type Space."});
    EXPECT_EQ(HotkeyConflicts::conflicts({10, 0}, {}, nullptr),
              Messages{"Add a modifier key, or this fires every time you type Key 10."});

    // Every hit is kept, in the order of the passes.
    const std::vector<HotkeyConflicts::Binding> others{
        {"Play “Invoice”", {0, 0x10000}}, {"Stop", HotkeyChord::defaultStop}, {"Play Notes", {0, 0}}};
    EXPECT_EQ(conflicts({0, 0}, others),
              (Messages{"Add a modifier key, or this fires every time you type A.",
                        "Already assigned to “Play “Invoice””", "Already assigned to “Play Notes”"}));

    const KnownShortcut& system = HotkeyConflicts::systemShortcuts().front();
    const std::vector<HotkeyConflicts::Binding> twice{{"Record", system.chord}, {"Record", system.chord}};
    EXPECT_EQ(conflicts(system.chord, twice),
              (Messages{SystemShortcuts::usedBy() + system.description, "Already assigned to “Record”",
                        "Already assigned to “Record”"}));
}

}  // namespace
}  // namespace brevanor
