#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/ui/AboutTab.h"
#include "app/ui/ConflictLines.h"
#include "app/ui/HotkeyRecorderView.h"
#include "app/ui/SettingsWindow.h"
#include "app/ui/StatusDot.h"
#include "app/update/UpdaterController.h"
#include "tests/app/CoordinatorTest.h"
#include "tests/app/ui/WidgetLookup.h"

namespace brevanor::testing {
namespace {

constexpr std::uint16_t kKeyK = 40;

// The settings window on the fake backend, with an updater of a build that
// carries no feed address unless the test gives one.
class SettingsWindowTest : public CoordinatorTest {
protected:
    SettingsWindow& makeWindow(const std::string& feedAddress = {}) {
        window.reset();
        updater.reset();
        make();
        coordinator->openOnboarding = [this] { ++onboardingOpened; };
        UpdaterController::Configuration configuration;
        configuration.feedAddress = feedAddress;
        configuration.runningVersion = "1.0";
        preferences->setBoolean(UpdaterController::automaticChecksKey, false);
        updater = std::make_unique<UpdaterController>(preferences, configuration);
        window = std::make_unique<SettingsWindow>(*coordinator, *settings, *updater);
        window->show();
        return *window;
    }

    template <typename T>
    T& child(const char* name) const {
        return namedChild<T>(*window, name);
    }
    QAbstractButton& button(const char* text) const { return *findButton(*window, QString::fromUtf8(text)); }
    // Whether the text is shown on its tab, whichever tab is in front.
    bool showsText(const char* text) const {
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text() != QString::fromUtf8(text)) continue;
            QWidget* page = label;
            while (page->parentWidget() && !qobject_cast<QStackedWidget*>(page->parentWidget())) {
                page = page->parentWidget();
            }
            return label->isVisibleTo(page);
        }
        return false;
    }
    void showTab(int index) { window->findChild<QTabWidget*>()->setCurrentIndex(index); }
    std::vector<std::string> conflicts(const char* row) const {
        return child<ConflictLines>((std::string(row) + "Conflicts").c_str()).sentences();
    }
    // Sets a shortcut through its field as the user does: click, then the keys.
    void enterShortcut(const char* row, HotkeyChord chord) {
        auto& field = child<HotkeyRecorderView>(row);
        field.findChild<QAbstractButton*>()->click();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                        chord.keyCode + FakeHotKeyService::nativeKeyCodeOffset, 0,
                        static_cast<std::uint32_t>(chord.modifiers));
        QApplication::sendEvent(field.findChild<QAbstractButton*>(), &press);
        EXPECT_FALSE(field.isCapturing()) << "the chord was taken";
    }

    std::unique_ptr<UpdaterController> updater;
    std::unique_ptr<SettingsWindow> window;
    int onboardingOpened = 0;
};

TEST_F(SettingsWindowTest, GeneralAndPlaybackControlsWriteTheSettingsAtOnceAndClosingOnlyHidesTheFixedWindow) {
    makeWindow();
    auto& countdown = child<QSpinBox>("countdown");
    EXPECT_EQ(countdown.text().toStdString(), "3 s");
    countdown.setValue(0);
    countdown.stepDown();
    EXPECT_EQ(settings->countdownSeconds(), 0) << "the stepper stops at 0";
    countdown.setValue(10);
    countdown.stepUp();
    EXPECT_EQ(settings->countdownSeconds(), 10) << "and at 10";
    settings->setCountdownSeconds(25);  // stored by hand, beyond the stepper
    EXPECT_EQ(countdown.value(), 10);
    EXPECT_EQ(settings->countdownSeconds(), 25) << "showing a value never writes it back";

    button("Show the status pill while recording and playing").click();
    EXPECT_FALSE(settings->showOverlay());
    button("Bring the recorded app forward before playing").click();
    EXPECT_FALSE(settings->restoreWindowBeforePlayback());

    // Playback defaults stick, but the extra pause before clicks does not.
    showTab(2);
    child<QSlider>("speed").setValue(child<QSlider>("speed").value() + 2);  // two steps of 0.5
    EXPECT_EQ(settings->defaultSpeed(), 2.0);
    button("Relative to where the cursor is when playback starts").click();
    EXPECT_EQ(settings->defaultCursorMode(), CursorMode::relativeToCursor);
    EXPECT_EQ(settings->defaultSpeed(), 2.0) << "each write keeps the others";
    auto& clickDelay = child<QSlider>("extraClickDelay");
    clickDelay.setValue(4);  // 200 ms
    EXPECT_EQ(settings->newRecordingSettings().extraDelayBeforeClickMs, 0);
    showTab(0);
    showTab(2);
    EXPECT_EQ(clickDelay.value(), 0) << "shown again, the pause is the built-in one";

    // A window of a fixed size that closing only hides.
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
}

TEST_F(SettingsWindowTest, ARefusedLoginItemShowsTheSystemsReasonInRedAndTheSystemsState) {
    loginItem->refusal = "Autostart folder is read-only";
    makeWindow();
    auto& toggle = child<QCheckBox>("launchAtLogin");
    auto& error = child<QLabel>("launchAtLoginError");
    EXPECT_FALSE(error.isVisibleTo(window.get()));
    toggle.click();
    EXPECT_FALSE(toggle.isChecked()) << "the toggle shows that the item is not registered";
    EXPECT_TRUE(error.isVisibleTo(window.get()));
    EXPECT_EQ(error.text().toStdString(), "Autostart folder is read-only");
    EXPECT_GT(error.palette().color(QPalette::WindowText).red(), 200);

    loginItem->refusal.reset();
    toggle.click();
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_FALSE(error.isVisibleTo(window.get())) << "a success clears the reason";
}

TEST_F(SettingsWindowTest, PermissionLightsFollowTheCoordinatorAndSpeakOfTheRunningBackend) {
    const char* passive =
        "On Wayland these shortcuts are heard from the input devices without taking them: the keys also reach the "
        "window in front. To have the compositor own a key instead, bind it to brevanor --record, --play-last or "
        "--stop, e.g. in sway: bindsym Ctrl+Alt+Mod4+r exec brevanor --record";
    const struct {
        PlatformBackend backend;
        const char* playing;
        const char* recording;
        bool heardPassively;
    } kBackends[] = {
        {PlatformBackend::x11, "Playback (XTEST)", "Recording (XInput 2 / RECORD)", false},
        {PlatformBackend::wayland, "Playback (virtual input)", "Recording (input devices)", true},
    };
    for (const auto& expected : kBackends) {
        SCOPED_TRACE(expected.playing);
        window.reset();
        coordinator.reset();
        backend = expected.backend;
        permissions->inputMonitoring = false;
        makeWindow();
        EXPECT_TRUE(showsText(expected.playing));
        EXPECT_TRUE(showsText(expected.recording));
        EXPECT_EQ(showsText(passive), expected.heardPassively);
        EXPECT_EQ(child<StatusDot>("accessibilityLight").accessibleName().toStdString(), "Granted");
        EXPECT_EQ(child<StatusDot>("inputMonitoringLight").accessibleName().toStdString(), "Not granted");
        permissions->inputMonitoring = true;
        coordinator->refreshPermissions();
        EXPECT_EQ(child<StatusDot>("inputMonitoringLight").accessibleName().toStdString(), "Granted");
    }
    button("Permissions Setup…").click();
    EXPECT_EQ(onboardingOpened, 1);
}

TEST_F(SettingsWindowTest, ShortcutConflictsShowUnderEachRowWithoutBlockingTheShortcutAndGoWithTheDefaults) {
    makeWindow();
    EXPECT_TRUE(conflicts("record").empty());
    enterShortcut("record", HotkeyChord::defaultPlayLast);
    EXPECT_EQ(settings->recordHotkey(), HotkeyChord::defaultPlayLast);
    EXPECT_EQ(conflicts("record"), (std::vector<std::string>{"Already assigned to “Play Last Recording”"}));
    EXPECT_EQ(conflicts("playLast"), (std::vector<std::string>{"Already assigned to “Record”"}));
    EXPECT_TRUE(conflicts("stop").empty());

    enterShortcut("stop", HotkeyChord{kKeyK, HotkeyChord::shiftFlag});  // Shift alone is a modifier
    settings->setStopHotkey(HotkeyChord{kKeyK, 0});                     // as a hand-edited file may hold
    EXPECT_EQ(conflicts("stop"),
              (std::vector<std::string>{"Add a modifier key, or this fires every time you type K."}));
    EXPECT_EQ(child<HotkeyRecorderView>("stop").chord(), (HotkeyChord{kKeyK, 0}));

    for (const char* row : {"record", "playLast", "stop"}) {
        EXPECT_FALSE(child<HotkeyRecorderView>(row).findChild<QToolButton*>()->isVisibleTo(window.get()))
            << row << ": the built-in shortcuts cannot be removed";
    }

    // Restore Defaults puts back the three shortcuts, and nothing else.
    settings->setCountdownSeconds(7);
    button("Restore Defaults").click();
    EXPECT_EQ(child<HotkeyRecorderView>("record").chord(), HotkeyChord::defaultRecord);
    EXPECT_EQ(settings->stopHotkey(), HotkeyChord::defaultStop);
    EXPECT_EQ(settings->countdownSeconds(), 7);
    for (const char* row : {"record", "playLast", "stop"}) EXPECT_TRUE(conflicts(row).empty()) << row;
}

TEST_F(SettingsWindowTest, AboutTellsTheVersionAndWhetherThisBuildChecksForUpdates) {
    makeWindow();
    EXPECT_EQ(AboutTab::versionText(BuildInfo{}), "Version 0 (0)");
    EXPECT_EQ(AboutTab::versionText(BuildInfo{"0.4.1", "1a2b3c4d5e", "2026", "", ""}), "Version 0.4.1 (1a2b3c4d5e)");
    EXPECT_FALSE(button("Check for Updates…").isEnabled());
    EXPECT_FALSE(button("Check for updates automatically").isEnabled());
    EXPECT_FALSE(button("Check for updates automatically").isChecked());
    EXPECT_TRUE(showsText("This build has no update key, so automatic updates are off."));

    makeWindow("http://127.0.0.1:1/feed.json");  // refused; nothing leaves the machine
    EXPECT_TRUE(button("Check for Updates…").isEnabled());
    auto& automatic = button("Check for updates automatically");
    EXPECT_TRUE(automatic.isEnabled());
    automatic.click();
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    EXPECT_FALSE(button("Check for Updates…").isEnabled()) << "turning them on checks at once, which runs now";
    EXPECT_TRUE(showsText("Checking for updates…"));
    EXPECT_FALSE(showsText("This build has no update key, so automatic updates are off."));
}

}  // namespace
}  // namespace brevanor::testing
