#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyCodeMap.h"
#include "platform/x11/X11ModifierMap.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor::testing {
namespace {

using namespace X11KeyCodeMap;

TEST(X11KeyCodeMap, EveryXKeyCodeAndEveryNeutralCodeWithAnXKeyRoundTrips) {
    std::set<std::uint16_t> seen;
    for (int x = kMinXKeyCode; x <= 255; ++x) {
        const std::uint16_t neutral = neutralKeyCode(static_cast<std::uint8_t>(x));
        EXPECT_TRUE(seen.insert(neutral).second) << "X key " << x << " shares neutral code " << neutral;
        EXPECT_EQ(xKeyCode(neutral), x) << "neutral code " << neutral;
    }
    int tableKeys = 0;
    for (int neutral = 0; neutral <= 0xFFFF; ++neutral) {
        const auto x = xKeyCode(static_cast<std::uint16_t>(neutral));
        if (!x) continue;
        EXPECT_EQ(neutralKeyCode(*x), neutral);
        if (neutral < 128) ++tableKeys;
    }
    // A full-size keyboard: letters, digits, punctuation, F1-F20, navigation, keypad, modifiers, ...
    EXPECT_GE(tableKeys, 115);
}

TEST(X11KeyCodeMap, KeysWithoutACounterpartUseThePrivateRangeAndCodesWithoutAnXKeyHaveNone) {
    EXPECT_EQ(neutralKeyCode(190 + 8), 90);  // F20 has one, though the server's keymap calls it a microphone key
    EXPECT_EQ(neutralKeyCode(99 + 8), kPrivateKeyCodeBase + 99 + 8);  // Print
    EXPECT_EQ(neutralKeyCode(8), kPrivateKeyCodeBase + 8);
    EXPECT_EQ(neutralKeyCode(255), kPrivateKeyCodeBase + 255);
    // No X key: Fn, an unused code, one beyond the table, private codes below and above the X
    // range, a private code that imitates a key of the table (it is not that key), and 0xFFFF.
    for (const int code :
         {63, 52, 127, kPrivateKeyCodeBase + 7, kPrivateKeyCodeBase + 256, kPrivateKeyCodeBase + 30 + 8, 0xFFFF}) {
        EXPECT_EQ(xKeyCode(static_cast<std::uint16_t>(code)), std::nullopt) << code;
    }
}

TEST(X11ModifierMap, DefaultLayoutMapsStateToFlagsAndBack) {
    const X11ModifierMap map;
    EXPECT_EQ(map.eventFlags(0), 0u);
    EXPECT_EQ(map.eventFlags(ShiftMask), 0x20000u);
    EXPECT_EQ(map.eventFlags(ControlMask | Mod1Mask), 0x40000u | 0x80000u);
    EXPECT_EQ(map.eventFlags(Mod4Mask | LockMask), 0x100000u | 0x10000u);
    EXPECT_EQ(map.eventFlags(Mod5Mask), 0x80000u);                        // AltGr reads as Option
    EXPECT_EQ(map.eventFlags(Mod2Mask | Button1Mask | Button3Mask), 0u);  // Num Lock and buttons are no flags
    EXPECT_EQ(map.xState(0x20000 | 0x40000 | 0x80000 | 0x100000), ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
    EXPECT_EQ(map.xState(0x800000), 0u);  // fn has no X modifier
}

// The table assumes evdev key codes; the server's own keymap must agree.
class X11KeyCodeMapServer : public testing::XvfbSuite {
protected:
    KeySym keysymOf(std::uint16_t neutral) {
        const auto x = xKeyCode(neutral);
        if (!x) return NoSymbol;
        return XkbKeycodeToKeysym(display_, *x, 0, 0);
    }
};

// Through the server's keymap, so that both the table and its agreement with the
// server are checked (X key code = evdev code + 8; the other way round the
// round trips above check).
TEST_F(X11KeyCodeMapServer, NeutralCodesPressTheKeysTheyName) {
    const std::pair<std::uint16_t, KeySym> keys[] = {
        {0, XK_a},          {1, XK_s},         {6, XK_z},           {18, XK_1},
        {29, XK_0},         {36, XK_Return},   {48, XK_Tab},        {49, XK_space},
        {51, XK_BackSpace}, {53, XK_Escape},   {50, XK_grave},      {42, XK_backslash},
        {55, XK_Super_L},   {54, XK_Super_R},  {56, XK_Shift_L},    {60, XK_Shift_R},
        {57, XK_Caps_Lock}, {58, XK_Alt_L},    {59, XK_Control_L},  {62, XK_Control_R},
        {122, XK_F1},       {111, XK_F12},

        {117, XK_Delete},   {115, XK_Home},    {121, XK_Page_Down}, {123, XK_Left},
        {126, XK_Up},       {76, XK_KP_Enter}, {75, XK_KP_Divide},  {67, XK_KP_Multiply},
    };
    for (const auto& [neutral, keysym] : keys) EXPECT_EQ(keysymOf(neutral), keysym) << "neutral code " << neutral;
    // Right Alt is Alt or AltGr, as the layout has it.
    EXPECT_TRUE(keysymOf(61) == XK_Alt_R || keysymOf(61) == XK_ISO_Level3_Shift) << keysymOf(61);
}

TEST_F(X11KeyCodeMapServer, ModifierMapReadsTheServersAssignment) {
    const X11ModifierMap map = X11ModifierMap::fromServer(display_);
    EXPECT_EQ(map.altMask(), static_cast<unsigned>(Mod1Mask));
    EXPECT_EQ(map.superMask() & Mod4Mask, static_cast<unsigned>(Mod4Mask));
    EXPECT_EQ(map.numLockMask(), static_cast<unsigned>(Mod2Mask));
}

TEST_F(X11KeyCodeMapServer, ErrorTrapCatchesTheErrorOfItsOwnRequest) {
    const X11Connection connection(session_->displayName());
    Display* display = connection.display();
    const Window bogus = 0x7ffffff;
    {
        X11Connection::ErrorTrap trap(display);
        XMapWindow(display, bogus);
        EXPECT_EQ(trap.sync(), BadWindow);
    }
    {
        X11Connection::ErrorTrap trap(display);
        XNoOp(display);
        EXPECT_EQ(trap.sync(), 0);  // the earlier failure is not this trap's
    }
    // An untrapped error on our connection is dropped instead of ending the program.
    XMapWindow(display, bogus);
    XSync(display, False);
    X11Connection::ErrorTrap outer(display);
    XMapWindow(display, bogus);
    {
        X11Connection::ErrorTrap inner(display);
        XNoOp(display);
        EXPECT_EQ(inner.sync(), 0);
    }
    EXPECT_EQ(outer.sync(), BadWindow);
}

}  // namespace
}  // namespace brevanor::testing
