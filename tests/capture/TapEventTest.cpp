#include <gtest/gtest.h>

#include <string>

#include "base/values/ModifierKeys.h"
#include "base/values/TapEvent.h"

namespace brevanor {
namespace {

TEST(ModifierKeys, TableCoversExactlyTheKeyCodes54To63) {
    const std::uint64_t expected[] = {0x100000, 0x100000, 0x20000, 0x10000, 0x80000,
                                      0x40000,  0x20000,  0x80000, 0x40000, 0x800000};
    for (std::uint16_t code = 54; code <= 63; ++code) {
        EXPECT_TRUE(ModifierKeys::isModifierKey(code)) << code;
        EXPECT_EQ(ModifierKeys::flagMask(code), expected[code - 54]) << code;
    }
    for (std::uint16_t code : {0, 53, 64, 0xFFFF}) {
        EXPECT_FALSE(ModifierKeys::isModifierKey(code)) << code;
        EXPECT_EQ(ModifierKeys::flagMask(code), std::nullopt) << code;
        EXPECT_FALSE(ModifierKeys::isDown(code, ~std::uint64_t{0})) << code;
    }
}

TEST(ModifierKeys, IsDownWhenAnyBitOfTheKeysMaskIsSet) {
    EXPECT_TRUE(ModifierKeys::isDown(57, 0x10000));
    // Left and right Shift share a mask: releasing one of two still reads as down.
    EXPECT_TRUE(ModifierKeys::isDown(56, 0x20000));
    EXPECT_TRUE(ModifierKeys::isDown(60, 0x20000));
    EXPECT_FALSE(ModifierKeys::isDown(56, 0x10000 | 0x40000 | 0x80000 | 0x100000 | 0x800000));
    EXPECT_TRUE(ModifierKeys::isDown(63, 0x800000 | 0x100));
    EXPECT_FALSE(ModifierKeys::isDown(55, 0));
}

TEST(TapEvent, EqualFieldsCompareEqualAndAnySingleDifferenceDoesNot) {
    const TapEvent base{TapEvent::Kind::scrollWheel({1, 2, 3, 4, true, 5, 6}), 100, {1.5, 2.5}, 0x20000, 42, false};
    EXPECT_EQ(base, base);
    EXPECT_EQ(base,
              (TapEvent{TapEvent::Kind::scrollWheel({1, 2, 3, 4, true, 5, 6}), 100, {1.5, 2.5}, 0x20000, 42, false}));

    auto differs = [&](auto change) {
        TapEvent other = base;
        change(other);
        return other != base;
    };
    EXPECT_TRUE(differs([](TapEvent& e) { e.kind.scroll.scrollPhase = 7; }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.kind.scroll.momentumPhase = 0; }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.kind.scroll.isContinuous = false; }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.kind.scroll.pointDeltaY = 0; }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.kind = TapEvent::Kind::mouseMoved(); }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.timestamp = 101; }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.location.y = 2.0; }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.flags = 0; }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.targetPID = 43; }));
    EXPECT_TRUE(differs([](TapEvent& e) { e.isSynthetic = true; }));

    EXPECT_NE(TapEvent::Kind::keyDown(5, false), TapEvent::Kind::keyDown(5, true));
    EXPECT_NE(TapEvent::Kind::keyDown(5, false), TapEvent::Kind::keyUp(5));
    EXPECT_NE(TapEvent::Kind::mouseDown(MouseButton::other, 3, 1), TapEvent::Kind::mouseDown(MouseButton::other, 4, 1));
}

}  // namespace
}  // namespace brevanor
