#include <QAbstractButton>
#include <QLabel>
#include <QStackedWidget>

#include "app/ui/OnboardingWindow.h"
#include "tests/app/CoordinatorTest.h"
#include "tests/app/ui/WidgetLookup.h"

namespace brevanor::testing {
namespace {

using Step = OnboardingWindow::Step;

// The guide on the fake backend; its ticker and delayed moves run on the
// manual main queue, so time passes only when the test says so.
class OnboardingWindowTest : public CoordinatorTest {
protected:
    OnboardingWindow& makeWindow() {
        if (!coordinator) make();
        OnboardingTexts texts = OnboardingTexts::forBackend(backend, folder.path() / "Recordings");
        window =
            std::make_unique<OnboardingWindow>(*coordinator, *settings, Permissions(permissions), mainQueue, texts);
        window->show();
        return *window;
    }

    QAbstractButton& button(const char* text) const { return *findButton(*window, QString::fromUtf8(text)); }
    std::vector<std::string> buttons() const {
        std::vector<std::string> shown;
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->isVisibleTo(window.get())) shown.push_back(button->text().toStdString());
        }
        return shown;
    }
    // Whether some shown text of the current step reads `text` (or starts with it).
    bool shows(const std::string& text) const {
        const QWidget* page = window->findChild<QStackedWidget*>()->currentWidget();
        for (const QLabel* label : page->findChildren<QLabel*>()) {
            if (label->text().toStdString().starts_with(text) && label->isVisibleTo(page)) return true;
        }
        return false;
    }
    void waitTicks(int ticks) { mainQueue->advanceBy(ticks * OnboardingWindow::tickNanos); }

    std::unique_ptr<OnboardingWindow> window;
};

TEST_F(OnboardingWindowTest, GrantedPermissionsAreEachPassedBySecondsLaterWithoutAWarning) {
    makeWindow();
    EXPECT_EQ(buttons(), (std::vector<std::string>{"Continue"}));
    waitTicks(4);
    EXPECT_EQ(window->step(), Step::welcome) << "the welcome step waits for the user";

    button("Continue").click();
    EXPECT_EQ(window->step(), Step::accessibility);
    EXPECT_TRUE(shows("Granted"));
    EXPECT_TRUE(shows("Thanks. Moving on…"));
    EXPECT_FALSE(shows("X11 has no switch")) << "no instructions once granted";
    waitTicks(1);  // the tick that sees the grant
    mainQueue->advanceBy(OnboardingWindow::advanceDelayNanos - 1);
    EXPECT_EQ(window->step(), Step::accessibility);
    mainQueue->advanceBy(1);
    EXPECT_EQ(window->step(), Step::inputMonitoring) << "0.8 s after that tick";

    waitTicks(1);
    mainQueue->advanceBy(OnboardingWindow::advanceDelayNanos);
    EXPECT_EQ(window->step(), Step::done);
    EXPECT_FALSE(shows("Some permissions were skipped."));
    EXPECT_EQ(buttons(), (std::vector<std::string>{"Open Library", "Done"}));
    EXPECT_EQ(window->focusWidget(), &button("Done")) << "Return finishes, though Continue had the focus";
    button("Open Library").click();
    EXPECT_TRUE(window->isHidden());
    EXPECT_EQ(libraryOpened, 1);
}

TEST_F(OnboardingWindowTest, SkippedPermissionsEndInAWarningAndTheGuideAsksOnlyWhileShown) {
    permissions->accessibility = false;
    permissions->inputMonitoring = false;
    makeWindow();
    button("Continue").click();
    EXPECT_TRUE(shows("Not granted yet"));
    EXPECT_TRUE(shows("X11 has no switch for this"));
    EXPECT_EQ(buttons(), (std::vector<std::string>{"Check Again", "Back", "Skip for Now", "Continue"}));
    button("Back").click();
    EXPECT_EQ(window->step(), Step::welcome);
    button("Continue").click();
    button("Skip for Now").click();
    EXPECT_EQ(window->step(), Step::inputMonitoring);
    EXPECT_TRUE(shows("If the light stays red"));
    button("Continue").click();
    EXPECT_EQ(window->step(), Step::done);
    EXPECT_TRUE(
        shows("Some permissions were skipped. Recording will tell you what is missing, and the Library "
              "window shows how to grant it."));

    button("Done").click();
    EXPECT_TRUE(window->isHidden());
    EXPECT_EQ(libraryOpened, 0);
    const int queries = permissions->accessibilityQueries;
    waitTicks(10);
    EXPECT_EQ(permissions->accessibilityQueries, queries) << "a hidden guide looks at nothing";
    window->show();
    EXPECT_EQ(window->step(), Step::welcome) << "a finished guide starts over";

    // Its buttons ask the system, and look again at once.
    permissions->grantOnPrompt = true;
    button("Continue").click();
    button("Check Again").click();
    EXPECT_EQ(permissions->accessibilityPrompts, 1);
    EXPECT_TRUE(shows("Granted"));
}

// The backend's own texts (those of X11 are in the test above and in SettingsWindowTest).
TEST_F(OnboardingWindowTest, EachPermissionStepSaysWhatTheBackendNeedsAndAGrantMovesOnOnce) {
    permissions->accessibility = false;
    permissions->inputMonitoring = false;
    backend = PlatformBackend::wayland;
    makeWindow();
    button("Continue").click();
    EXPECT_TRUE(shows("Playback (virtual input)"));
    EXPECT_TRUE(shows("There is no switch for this"));
    button("Skip for Now").click();
    EXPECT_TRUE(shows("Recording (input devices)"));
    EXPECT_TRUE(shows("Reading /dev/input needs the input group."));

    // A grant while the step is shown moves on once and only once.
    button("Back").click();
    waitTicks(3);
    EXPECT_EQ(window->step(), Step::accessibility);
    permissions->accessibility = true;  // the user granted it elsewhere
    waitTicks(1);
    EXPECT_TRUE(shows("Thanks. Moving on…"));
    waitTicks(1);  // a second tick within the 0.8 s plans no second move
    mainQueue->advanceBy(OnboardingWindow::advanceDelayNanos);
    EXPECT_EQ(window->step(), Step::inputMonitoring);
    waitTicks(4);
    EXPECT_EQ(window->step(), Step::inputMonitoring) << "one move for one grant";

    permissions->inputMonitoring = true;
    waitTicks(1);
    button("Back").click();  // the user leaves the step before the move
    mainQueue->advanceBy(OnboardingWindow::advanceDelayNanos);
    EXPECT_EQ(window->step(), Step::accessibility) << "a planned move never leaves another step";
}

TEST_F(OnboardingWindowTest, ShortcutsAndFoldersAreTheUsersOwn) {
    make();
    settings->setRecordHotkey({40, kChordFlags});
    makeWindow();
    EXPECT_TRUE(shows("Press Ctrl+Alt+Super+K to record after a short countdown; press it again to stop."));
    EXPECT_TRUE(shows("Press Ctrl+Alt+Super+P to replay the last recording."));
    EXPECT_TRUE(shows("Press Ctrl+Alt+Super+X, or hold Esc, to stop at any time, even when another app is in front."));
    EXPECT_TRUE(shows("Recordings are kept in " + (folder.path() / "Recordings").string() + "."));
    settings->setStopHotkey({40, HotkeyChord::shiftFlag | HotkeyChord::commandFlag});
    EXPECT_TRUE(shows("Press Shift+Super+K, or hold Esc"));

    button("Continue").click();
    button("Continue").click();
    button("Continue").click();
    EXPECT_TRUE(
        shows("Brevanor lives in the system tray. Press Ctrl+Alt+Super+K whenever you want to record, in any app."));
}

}  // namespace
}  // namespace brevanor::testing
