#include <gtest/gtest.h>

#include "core/store/InMemoryPreferencesStore.h"

namespace brevanor {
namespace {

TEST(InMemoryPreferencesStore, KeepsOneTypedValuePerKey) {
    InMemoryPreferencesStore preferences;
    EXPECT_EQ(preferences.getInteger("count"), std::nullopt);

    preferences.setInteger("count", 41);
    preferences.setBoolean("flag", false);
    preferences.setDouble("speed", 2.5);
    preferences.setString("name", "Ünïcode");
    preferences.setData("blob", {0, 255, 7});
    EXPECT_EQ(preferences.getInteger("count"), 41);
    EXPECT_EQ(preferences.getBoolean("flag"), false);
    EXPECT_EQ(preferences.getDouble("speed"), 2.5);
    EXPECT_EQ(preferences.getString("name"), "Ünïcode");
    EXPECT_EQ(preferences.getData("blob"), (std::vector<std::uint8_t>{0, 255, 7}));

    // A value of another type reads as missing, and a setter replaces any type.
    EXPECT_EQ(preferences.getDouble("count"), std::nullopt);
    EXPECT_EQ(preferences.getBoolean("count"), std::nullopt);
    preferences.setString("count", "41");
    EXPECT_EQ(preferences.getInteger("count"), std::nullopt);
    EXPECT_EQ(preferences.getString("count"), "41");
}

TEST(InMemoryPreferencesStore, RemoveForgetsTheKeyOnly) {
    InMemoryPreferencesStore preferences;
    preferences.setInteger("a", 1);
    preferences.setInteger("b", 2);
    preferences.remove("a");
    preferences.remove("never set");
    EXPECT_EQ(preferences.getInteger("a"), std::nullopt);
    EXPECT_EQ(preferences.getInteger("b"), 2);
}

}  // namespace
}  // namespace brevanor
