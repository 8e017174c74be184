#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include "app/control/AppSettings.h"
#include "app/control/QtPreferencesStore.h"
#include "platform/fake/FakeLoginItem.h"

namespace brevanor {
namespace {

std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

// The settings over a real preferences file in a temporary folder; "relaunching"
// reads the same file with fresh objects.
class AppSettingsTest : public ::testing::Test {
protected:
    QString path() const { return folder.filePath(QStringLiteral("Brevanor/Brevanor.conf")); }

    std::shared_ptr<QtPreferencesStore> openPreferences() const {
        return std::make_shared<QtPreferencesStore>(std::make_unique<QSettings>(path(), QSettings::IniFormat));
    }

    std::unique_ptr<AppSettings> launch() { return std::make_unique<AppSettings>(openPreferences(), loginItem); }

    QStringList keysOnDisk() const { return QSettings(path(), QSettings::IniFormat).allKeys(); }

    QTemporaryDir folder;
    std::shared_ptr<FakeLoginItem> loginItem = std::make_shared<FakeLoginItem>();
};

TEST_F(AppSettingsTest, EmptyPreferencesGiveTheDefaultsAndNothingIsWritten) {
    const auto settings = launch();
    EXPECT_EQ(settings->countdownSeconds(), 3);
    EXPECT_TRUE(settings->showOverlay());
    EXPECT_TRUE(settings->restoreWindowBeforePlayback());
    EXPECT_EQ(settings->recordHotkey(), HotkeyChord::defaultRecord);
    EXPECT_EQ(settings->playLastHotkey(), HotkeyChord::defaultPlayLast);
    EXPECT_EQ(settings->stopHotkey(), HotkeyChord::defaultStop);
    EXPECT_EQ(settings->defaultSpeed(), 1.0);
    EXPECT_EQ(settings->defaultRepeatCount(), 1);
    EXPECT_FALSE(settings->defaultRepeatInfinite());
    EXPECT_EQ(settings->defaultDelaySeconds(), 0.0);
    EXPECT_EQ(settings->defaultCursorMode(), CursorMode::absolute);
    EXPECT_FALSE(settings->launchAtLogin());
    EXPECT_EQ(settings->launchAtLoginError(), std::nullopt);
    EXPECT_TRUE(keysOnDisk().isEmpty());
}

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
    const QSettings file(path(), QSettings::IniFormat);
    EXPECT_EQ(file.value("defaults.cursorMode").toString(), QStringLiteral("relativeToScreen"));
    EXPECT_EQ(file.value("hotkey.record").toByteArray(), QByteArray(R"({"keyCode":16,"modifiers":393216})"));

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

    openPreferences()->setString("defaults.cursorMode", "relativeToCursor");
    EXPECT_EQ(launch()->defaultCursorMode(), CursorMode::relativeToCursor);
}

TEST_F(AppSettingsTest, AChangeIsWrittenAtOnceAndToldToObservers) {
    const auto settings = launch();
    QSignalSpy recordChanged(settings.get(), &AppSettings::recordHotkeyChanged);
    QSignalSpy anyChanged(settings.get(), &AppSettings::changed);
    settings->setRecordHotkey({17, HotkeyChord::commandFlag});
    settings->setRecordHotkey({17, HotkeyChord::commandFlag});  // the same value is no change
    EXPECT_EQ(recordChanged.count(), 1);
    EXPECT_EQ(anyChanged.count(), 1);
    EXPECT_EQ(keysOnDisk(), QStringList{QStringLiteral("hotkey.record")});
}

TEST_F(AppSettingsTest, NewRecordingsGetThePlaybackDefaultsAndNothingElse) {
    const auto settings = launch();
    settings->setDefaultSpeed(2.0);
    settings->setDefaultCursorMode(CursorMode::relativeToCursor);
    settings->setDefaultDelaySeconds(1.5);
    RecordingSettings expected;
    expected.speed = 2.0;
    expected.cursorMode = CursorMode::relativeToCursor;
    expected.delayBetweenRepeatsSec = 1.5;
    EXPECT_EQ(settings->newRecordingSettings(), expected);
    EXPECT_FALSE(settings->newRecordingSettings().playHotkey);
}

TEST_F(AppSettingsTest, RestoringTheDefaultShortcutsTouchesNothingElse) {
    const auto settings = launch();
    settings->setCountdownSeconds(7);
    settings->setDefaultRepeatCount(4);
    settings->setRecordHotkey({1, HotkeyChord::commandFlag});
    settings->setStopHotkey({2, HotkeyChord::commandFlag});
    settings->restoreDefaultHotkeys();
    EXPECT_EQ(settings->recordHotkey(), HotkeyChord::defaultRecord);
    EXPECT_EQ(settings->stopHotkey(), HotkeyChord::defaultStop);
    EXPECT_EQ(settings->countdownSeconds(), 7);
    EXPECT_EQ(settings->defaultRepeatCount(), 4);
    EXPECT_EQ(launch()->recordHotkey(), HotkeyChord::defaultRecord);
}

TEST_F(AppSettingsTest, TheLoginItemFollowsTheSwitchAndARefusalTurnsItBackWithTheSystemsMessage) {
    const auto settings = launch();
    settings->setLaunchAtLogin(true);
    EXPECT_TRUE(loginItem->registered);
    EXPECT_TRUE(keysOnDisk().isEmpty()) << "the system's registration is the only truth";

    loginItem->refusal = "The autostart folder is read-only.";
    settings->setLaunchAtLogin(false);
    EXPECT_TRUE(settings->launchAtLogin());
    EXPECT_TRUE(loginItem->registered);
    EXPECT_EQ(settings->launchAtLoginError(), std::optional<std::string>("The autostart folder is read-only."));

    loginItem->refusal.reset();
    settings->setLaunchAtLogin(false);
    EXPECT_FALSE(loginItem->registered);
    EXPECT_EQ(settings->launchAtLoginError(), std::nullopt);

    // The entry was added behind Brevanor's back: a launch reads it as on.
    loginItem->registered = true;
    EXPECT_TRUE(launch()->launchAtLogin());
}

}  // namespace
}  // namespace brevanor
