#include <gtest/gtest.h>

#include "core/model/HotkeyChordJSON.h"
#include "core/store/UserSettings.h"
#include "platform/fake/InMemoryPreferencesStore.h"

namespace brevanor {
namespace {

std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(UserSettings, EmptyPreferencesGiveTheApplicationsDefaults) {
    const UserSettings settings = UserSettings::read(InMemoryPreferencesStore());
    EXPECT_EQ(settings.countdownSeconds, 3);
    EXPECT_TRUE(settings.restoreWindowBeforePlayback);
    EXPECT_EQ(settings.recordHotkey, HotkeyChord::defaultRecord);
    EXPECT_EQ(settings.playLastHotkey, HotkeyChord::defaultPlayLast);
    EXPECT_EQ(settings.stopHotkey, HotkeyChord::defaultStop);
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

TEST(UserSettings, ReadsShortcutsStoredAsJson) {
    InMemoryPreferencesStore preferences;
    preferences.setData("hotkey.stop", bytes(R"({"keyCode":53,"modifiers":262144})"));
    preferences.setData("hotkey.record", bytes(R"({"modifiers":1310720.0,"keyCode":1.2e1,"other":true})"));
    const UserSettings settings = UserSettings::read(preferences);
    EXPECT_EQ(settings.stopHotkey, (HotkeyChord{53, 0x40000}));
    EXPECT_EQ(settings.recordHotkey, (HotkeyChord{12, 1310720}));
}

TEST(UserSettings, UnreadableValuesFallBackToTheDefaults) {
    InMemoryPreferencesStore preferences;
    preferences.setData("hotkey.stop", bytes("garbage"));
    preferences.setData("hotkey.record", bytes(R"({"keyCode":70000,"modifiers":0})"));
    preferences.setData("hotkey.playLast", bytes(R"({"keyCode":1.5,"modifiers":0})"));
    preferences.setString("defaults.cursorMode", "sideways");
    preferences.setString("countdownSeconds", "soon");
    const UserSettings settings = UserSettings::read(preferences);
    EXPECT_EQ(settings.stopHotkey, HotkeyChord::defaultStop);
    EXPECT_EQ(settings.recordHotkey, HotkeyChord::defaultRecord);
    EXPECT_EQ(settings.playLastHotkey, HotkeyChord::defaultPlayLast);
    EXPECT_EQ(settings.defaultCursorMode, CursorMode::absolute);
    EXPECT_EQ(settings.countdownSeconds, 3);
    EXPECT_FALSE(HotkeyChordJSON::decode(bytes(R"({"keyCode":-1,"modifiers":0})")).has_value());
    EXPECT_FALSE(HotkeyChordJSON::decode(bytes(R"([15, 0])")).has_value());
}

}  // namespace
}  // namespace brevanor
