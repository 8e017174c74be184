#include <gtest/gtest.h>

#include "core/store/UserSettings.h"
#include "platform/fake/InMemoryPreferencesStore.h"

namespace brevanor {
namespace {

TEST(UserSettings, EmptyPreferencesGiveTheApplicationsDefaults) {
    const UserSettings settings = UserSettings::read(InMemoryPreferencesStore());
    EXPECT_TRUE(settings.restoreWindowBeforePlayback);
    EXPECT_EQ(settings.newRecordingSettings(), RecordingSettings());
}

TEST(UserSettings, NewRecordingsTakeThePlaybackDefaultsAndNothingElse) {
    InMemoryPreferencesStore preferences;
    preferences.setDouble("defaults.speed", 2.0);
    preferences.setInteger("defaults.repeatCount", 4);
    preferences.setBoolean("defaults.repeatInfinite", true);
    preferences.setDouble("defaults.delaySeconds", 1.5);
    preferences.setString("defaults.cursorMode", "relativeToCursor");
    const RecordingSettings settings = UserSettings::read(preferences).newRecordingSettings();
    EXPECT_EQ(settings.speed, 2.0);
    EXPECT_EQ(settings.repeatCount, 4);
    EXPECT_TRUE(settings.repeatInfinite);
    EXPECT_EQ(settings.delayBetweenRepeatsSec, 1.5);
    EXPECT_EQ(settings.cursorMode, CursorMode::relativeToCursor);
    EXPECT_FALSE(settings.playHotkey.has_value());
    EXPECT_FALSE(settings.containsSensitiveInput);
}

}  // namespace
}  // namespace brevanor
