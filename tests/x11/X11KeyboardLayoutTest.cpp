#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include "platform/x11/X11KeyboardLayout.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor {
namespace {

// Neutral key codes of some keys, by their place on the keyboard.
constexpr std::uint16_t kA = 0, kY = 16, kZ = 6, kGrave = 50, kReturn = 36, kFn = 63;

class X11KeyboardLayoutTest : public testing::XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped()) return;
        layout_ = std::make_unique<X11KeyboardLayout>(session_->displayName());
    }
    void TearDown() override {
        if (session_->isRunning()) session_->run("setxkbmap us");
    }

    std::unique_ptr<X11KeyboardLayout> layout_;
};

TEST_F(X11KeyboardLayoutTest, NamesKeysOfTheLayoutAndFollowsAChangeWithItsDeadKeysAndTheActiveGroup) {
    EXPECT_EQ(layout_->currentInputSourceId(), "us");
    EXPECT_EQ(layout_->character(kA), "a");
    EXPECT_EQ(layout_->character(kY), "y");  // the first keymap is read before the change
    EXPECT_EQ(layout_->character(kGrave), "`");
    EXPECT_EQ(layout_->character(kReturn), "\r");
    EXPECT_EQ(layout_->character(kFn), std::nullopt) << "no X key types it";

    ASSERT_EQ(session_->run("setxkbmap de"), 0);
    EXPECT_EQ(layout_->currentInputSourceId(), "de");
    EXPECT_EQ(layout_->character(kY), "z");
    EXPECT_EQ(layout_->character(kZ), "y");
    EXPECT_EQ(layout_->character(kGrave), "^");  // dead_circumflex, not composed

    // With two layouts, the active group chooses.
    ASSERT_EQ(session_->run("setxkbmap -layout us,de -variant ,nodeadkeys"), 0);
    EXPECT_EQ(layout_->currentInputSourceId(), "us");
    EXPECT_EQ(layout_->character(kY), "y");
    XkbLockGroup(display_, XkbUseCoreKbd, 1);
    XSync(display_, False);
    EXPECT_EQ(layout_->currentInputSourceId(), "de(nodeadkeys)");
    EXPECT_EQ(layout_->character(kY), "z");
    XkbLockGroup(display_, XkbUseCoreKbd, 0);
    XSync(display_, False);
}

TEST(X11KeyboardRulesNames, PicksTheLayoutAndVariantOfTheGroup) {
    using namespace std::string_view_literals;
    const auto names = "evdev\0pc105\0us,de,fr\0,nodeadkeys,\0grp:alt_shift_toggle\0"sv;
    EXPECT_EQ(X11KeyboardLayout::inputSourceFromRulesNames(names, 0), "us");
    EXPECT_EQ(X11KeyboardLayout::inputSourceFromRulesNames(names, 1), "de(nodeadkeys)");
    EXPECT_EQ(X11KeyboardLayout::inputSourceFromRulesNames(names, 2), "fr");
    EXPECT_EQ(X11KeyboardLayout::inputSourceFromRulesNames(names, 4), "de(nodeadkeys)");
    EXPECT_EQ(X11KeyboardLayout::inputSourceFromRulesNames("evdev\0pc105\0de\0"sv, 0), "de");
    EXPECT_EQ(X11KeyboardLayout::inputSourceFromRulesNames("evdev\0pc105\0\0\0"sv, 0), std::nullopt);
    EXPECT_EQ(X11KeyboardLayout::inputSourceFromRulesNames("evdev"sv, 0), std::nullopt);
    EXPECT_EQ(X11KeyboardLayout::inputSourceFromRulesNames(""sv, 0), std::nullopt);
}

}  // namespace
}  // namespace brevanor
