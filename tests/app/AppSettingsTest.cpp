#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/control/AppSettings.h"
#include "core/store/IniPreferencesStore.h"
#include "platform/fake/FakeLoginItem.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

// The settings over the preferences file in a temporary folder, as the
// application keeps it; "relaunching" reads the same file with fresh objects.
class AppSettingsTest : public ::testing::Test {
protected:
    std::shared_ptr<IniPreferencesStore> openPreferences() const { return std::make_shared<IniPreferencesStore>(file); }

    std::unique_ptr<AppSettings> launch() { return std::make_unique<AppSettings>(openPreferences(), loginItem); }

    TemporaryDirectory folder;
    std::filesystem::path file = folder.path() / "Brevanor" / "Brevanor.conf";
    std::shared_ptr<FakeLoginItem> loginItem = std::make_shared<FakeLoginItem>();
};

TEST_F(AppSettingsTest, EveryValueSurvivesARelaunchThroughTheFile) {
    {
        const auto settings = launch();
        settings->setCountdownSeconds(5);
        settings->setShowOverlay(false);
        settings->setRestoreWindowBeforePlayback(false);
        settings->setRecordHotkey({16, HotkeyChord::controlFlag | HotkeyChord::shiftFlag});
        settings->setPlayLastHotkey({122, HotkeyChord::functionFlag});
        settings->setStopHotkey({65535, HotkeyChord::modifierMask});
        settings->setDefaultSpeed(0.1 + 0.2);
        settings->setDefaultRepeatCount(9999);
        settings->setDefaultRepeatInfinite(true);
        settings->setDefaultDelaySeconds(2.5);
        settings->setDefaultCursorMode(CursorMode::relativeToScreen);
    }
    const auto relaunched = launch();
    EXPECT_EQ(relaunched->countdownSeconds(), 5);
    EXPECT_FALSE(relaunched->showOverlay());
    EXPECT_FALSE(relaunched->restoreWindowBeforePlayback());
    EXPECT_EQ(relaunched->recordHotkey(), (HotkeyChord{16, HotkeyChord::controlFlag | HotkeyChord::shiftFlag}));
    EXPECT_EQ(relaunched->playLastHotkey(), (HotkeyChord{122, HotkeyChord::functionFlag}));
    EXPECT_EQ(relaunched->stopHotkey(), (HotkeyChord{65535, HotkeyChord::modifierMask}));
    EXPECT_EQ(relaunched->defaultSpeed(), 0.1 + 0.2) << "doubles come back exactly";
    EXPECT_EQ(relaunched->defaultRepeatCount(), 9999);
    EXPECT_TRUE(relaunched->defaultRepeatInfinite());
    EXPECT_EQ(relaunched->defaultDelaySeconds(), 2.5);
    EXPECT_EQ(relaunched->defaultCursorMode(), CursorMode::relativeToScreen);
}

TEST_F(AppSettingsTest, UnreadableOrMistypedValuesFallBackToTheDefaults) {
    {
        const auto preferences = openPreferences();
        preferences->setString("countdownSeconds", "three");
        preferences->setString("showOverlay", "yes");
        preferences->setData("hotkey.record", bytes("garbage"));
        preferences->setData("hotkey.playLast", bytes(R"({"keyCode":70000,"modifiers":0})"));
        preferences->setData("hotkey.stop", bytes(R"({"keyCode":7.5,"modifiers":1835008})"));
        preferences->setBoolean("defaults.speed", true);
        preferences->setString("defaults.cursorMode", "sideways");
    }
    const auto settings = launch();
    EXPECT_EQ(settings->countdownSeconds(), 3);
    EXPECT_TRUE(settings->showOverlay());
    EXPECT_EQ(settings->recordHotkey(), HotkeyChord::defaultRecord);
    EXPECT_EQ(settings->playLastHotkey(), HotkeyChord::defaultPlayLast);
    EXPECT_EQ(settings->stopHotkey(), HotkeyChord::defaultStop);
    EXPECT_EQ(settings->defaultSpeed(), 1.0);
    EXPECT_EQ(settings->defaultCursorMode(), CursorMode::absolute);
}

// Whatever stands where the file should be and cannot be read as one (every
// kind is in IniPreferencesStoreTest; a file that is not text in
// AppDelegateTest) gives the defaults, is told, and is never written over: the
// preferences it may hold would be lost. A change is kept for the session and told too.
TEST_F(AppSettingsTest, AFileThatCannotBeReadIsToldAndNeverWrittenOver) {
    std::filesystem::create_directories(file);
    const auto settings = launch();
    EXPECT_EQ(settings->countdownSeconds(), 3);
    ASSERT_TRUE(settings->preferencesProblem().has_value());
    EXPECT_NE(settings->preferencesProblem()->find(file.string()), std::string::npos)
        << *settings->preferencesProblem();

    QSignalSpy told(settings.get(), &AppSettings::preferencesProblemChanged);
    settings->setCountdownSeconds(5);
    settings->preferences()->setData("Brevanor.Library", bytes("frame"));
    EXPECT_EQ(settings->countdownSeconds(), 5) << "kept for the session";
    EXPECT_EQ(told.count(), 1);
    EXPECT_NE(settings->preferencesProblem()->find("could not be saved"), std::string::npos)
        << *settings->preferencesProblem();
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(AppSettingsTest, TheLoginItemFollowsTheSwitchAndTheSystemAndAChangeIsWrittenAtOnceAndTold) {
    const auto settings = launch();
    EXPECT_EQ(settings->preferencesProblem(), std::nullopt);
    settings->setLaunchAtLogin(true);
    EXPECT_TRUE(loginItem->registered);
    EXPECT_FALSE(std::filesystem::exists(file)) << "neither the launch nor the system's registration writes the file";

    settings->setLaunchAtLogin(false);
    EXPECT_FALSE(loginItem->registered);
    EXPECT_EQ(settings->launchAtLoginError(), std::nullopt);

    // The entry was added behind Brevanor's back: a launch reads it as on.
    loginItem->registered = true;
    EXPECT_TRUE(launch()->launchAtLogin());

    // A change is written at once and told to observers.
    QSignalSpy recordChanged(settings.get(), &AppSettings::recordHotkeyChanged);
    QSignalSpy anyChanged(settings.get(), &AppSettings::changed);
    settings->setRecordHotkey({17, HotkeyChord::commandFlag});
    settings->setRecordHotkey({17, HotkeyChord::commandFlag});  // the same value is no change
    EXPECT_EQ(recordChanged.count(), 1);
    EXPECT_EQ(anyChanged.count(), 1);
    EXPECT_EQ(IniPreferencesStore(file).getData("hotkey.record"), bytes(R"({"keyCode":17,"modifiers":1048576})"));
}

}  // namespace
}  // namespace brevanor
