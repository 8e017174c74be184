#include <gtest/gtest.h>

#include "core/store/UserSettings.h"
#include "platform/fake/InMemoryPreferencesStore.h"

namespace brevanor {
namespace {

TEST(UserSettings, NewRecordingsTakeThePlaybackDefaultsAndNothingElse) {
    InMemoryPreferencesStore preferences;
    EXPECT_EQ(UserSettings::read(preferences).newRecordingSettings(), RecordingSettings()) << "before any is set";
    preferences.setDouble("defaults.speed", 2.0);
    preferences.setInteger("defaults.repeatCount", 4);
    preferences.setBoolean("defaults.repeatInfinite", true);
    preferences.setDouble("defaults.delaySeconds", 1.5);
    preferences.setString("defaults.cursorMode", "relativeToCursor");
    RecordingSettings expected;  // and nothing else: no shortcut, no sensitive mark
    expected.speed = 2.0;
    expected.repeatCount = 4;
    expected.repeatInfinite = true;
    expected.delayBetweenRepeatsSec = 1.5;
    expected.cursorMode = CursorMode::relativeToCursor;
    EXPECT_EQ(UserSettings::read(preferences).newRecordingSettings(), expected);
}

}  // namespace
}  // namespace brevanor
