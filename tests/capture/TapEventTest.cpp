#include <gtest/gtest.h>

#include "base/values/ModifierKeys.h"

namespace brevanor {
namespace {

// Each of the key codes 54 to 63 reads as down when any bit of its own mask is
// set, whatever else is; left and right keys share a mask.
TEST(ModifierKeys, TableCoversExactlyTheKeyCodes54To63) {
    const std::uint64_t expected[] = {0x100000, 0x100000, 0x20000, 0x10000, 0x80000,
                                      0x40000,  0x20000,  0x80000, 0x40000, 0x800000};
    for (std::uint16_t code = 54; code <= 63; ++code) {
        const std::uint64_t mask = expected[code - 54];
        EXPECT_TRUE(ModifierKeys::isModifierKey(code)) << code;
        EXPECT_EQ(ModifierKeys::flagMask(code), mask) << code;
        EXPECT_TRUE(ModifierKeys::isDown(code, mask | 0x100)) << code;
        EXPECT_FALSE(ModifierKeys::isDown(code, ~mask)) << code;
    }
    for (std::uint16_t code : {0, 53, 64, 0xFFFF}) {
        EXPECT_FALSE(ModifierKeys::isModifierKey(code)) << code;
        EXPECT_EQ(ModifierKeys::flagMask(code), std::nullopt) << code;
        EXPECT_FALSE(ModifierKeys::isDown(code, ~std::uint64_t{0})) << code;
    }
}

}  // namespace
}  // namespace brevanor
