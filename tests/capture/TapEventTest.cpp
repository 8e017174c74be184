#include <gtest/gtest.h>

#include "base/values/ModifierKeys.h"

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

}  // namespace
}  // namespace brevanor
