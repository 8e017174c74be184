#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

#include "app/ui/MenuBarController.h"
#include "tests/app/CoordinatorTest.h"

namespace brevanor::testing {
namespace {

// The tray icon and its menus on the fake backend.
class MenuBarControllerTest : public CoordinatorTest {
protected:
    MenuBarController& makeController() {
        make();
        controller = std::make_unique<MenuBarController>(*coordinator, *settings);
        return *controller;
    }

    // The context menu as it opens now: each item's title, "(off)" after a
    // disabled one, "—" for a separator.
    std::vector<std::string> openMenu() {
        QMenu& menu = controller->contextMenu();
        emit menu.aboutToShow();
        return titles(menu);
    }

    static std::vector<std::string> titles(const QMenu& menu) {
        std::vector<std::string> result;
        for (const QAction* action : menu.actions()) {
            if (action->isSeparator()) {
                result.emplace_back("—");
            } else {
                result.push_back(title(*action) + (action->isEnabled() ? "" : " (off)"));
            }
        }
        return result;
    }

    // An item's title, without the shortcut shown after a tab.
    static std::string title(const QAction& action) { return action.text().section('\t', 0, 0).toStdString(); }
    // The shortcut shown in an item's shortcut column, empty without one.
    static std::string shortcut(const QAction& action) { return action.text().section('\t', 1).toStdString(); }

    QAction* item(const std::string& wanted) const {
        for (QAction* action : controller->contextMenu().actions()) {
            if (title(*action) == wanted) return action;
        }
        return nullptr;
    }

    std::string toolTip() const { return controller->trayIcon().toolTip().toStdString(); }

    void click(QSystemTrayIcon::ActivationReason reason) { emit controller->trayIcon().activated(reason); }

    std::unique_ptr<MenuBarController> controller;
};

const std::string kIndent = "\u2003";

TEST_F(MenuBarControllerTest, IdleWithAnEmptyLibraryOffersRecordingAndTheWindowsAndACountdownToStartAtOnce) {
    makeController();
    EXPECT_EQ(openMenu(), (std::vector<std::string>{"Record", "Play Last Recording (off)", "Stop (off)", "—",
                                                    "Open Library…", "Settings…", "—", "Quit Brevanor"}));
    EXPECT_EQ(toolTip(), "Brevanor");
    // Written as everywhere else in Brevanor, not as Qt writes key sequences ("Meta+Ctrl+Alt+R").
    EXPECT_EQ(shortcut(*item("Record")), "Ctrl+Alt+Super+R");
    EXPECT_EQ(shortcut(*item("Play Last Recording")), "Ctrl+Alt+Super+P");
    EXPECT_TRUE(shortcut(*item("Open Library…")).empty());
    EXPECT_TRUE(item("Record")->shortcut().isEmpty()) << "display only: the global shortcut acts on its own";

    // A countdown shows its seconds and offers to start at once.
    const qint64 idleIcon = controller->trayIcon().icon().cacheKey();
    coordinator->toggleRecording();
    EXPECT_EQ(toolTip(), "Recording starts in 3 s");
    EXPECT_NE(controller->trayIcon().icon().cacheKey(), idleIcon);
    EXPECT_EQ(openMenu()[0], "Start Recording Now");
    mainQueue->advanceBy(kSeconds);
    EXPECT_EQ(toolTip(), "Recording starts in 2 s");
    item("Start Recording Now")->trigger();
    EXPECT_EQ(toolTip(), "Recording — click for options");
    EXPECT_EQ(openMenu()[0], "Stop Recording");
    item("Stop")->trigger();
    EXPECT_EQ(toolTip(), "Brevanor");
}

TEST_F(MenuBarControllerTest, TheNewestFiveRecordingsAreListedSetInAsNamedAndPlayableOnlyWhenIdle) {
    makeController();
    for (int i = 1; i <= 9; ++i) {
        // The newest one's name is shown as it is, on one line.
        Recording recording = typingRecording(i < 9 ? "Take " + std::to_string(i) : "Tom & Jerry\tcopy\nline two");
        recording.createdAt += std::chrono::seconds(i);  // newest last
        if (i == 9) recording.settings.playHotkey = HotkeyChord{49, HotkeyChord::controlFlag};
        stored(recording);
    }
    std::vector<std::string> menu = openMenu();
    ASSERT_EQ(menu.size(), 15u);
    EXPECT_EQ(menu[1], "Play Last Recording");
    const std::string shown = kIndent + "Tom && Jerry copy line two";
    EXPECT_EQ(std::vector<std::string>(menu.begin() + 3, menu.begin() + 10),
              (std::vector<std::string>{"—", "Recent Recordings (off)", shown, kIndent + "Take 8", kIndent + "Take 7",
                                        kIndent + "Take 6", kIndent + "Take 5"}))
        << "a doubled & shows one &, and no tab or line break splits the item";
    EXPECT_EQ(shortcut(*item(shown)), "Ctrl+Space");

    item(kIndent + "Take 6")->trigger();
    EXPECT_EQ(coordinator->state().kind(), AppState::Kind::playing);
    menu = openMenu();
    EXPECT_EQ(menu[0], "Record (off)");
    EXPECT_EQ(menu[2], "Stop");
    EXPECT_EQ(menu[5], shown + " (off)");
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(postedKeys().size(), 4u) << "Take 6 played once";
}

// A left click opens a menu of its own, built anew each time, except during a
// playback, which it stops.
TEST_F(MenuBarControllerTest, ALeftClickOpensAFreshMenuOrStopsAPlaybackWhoseIconBlinks) {
    makeController();
    click(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(controller->clickMenu().isVisible());
    EXPECT_EQ(titles(controller->clickMenu()).size(), 8u);
    controller->clickMenu().hide();

    Recording endless = typingRecording("Endless");
    endless.settings.repeatInfinite = true;
    coordinator->play(stored(endless));
    ASSERT_TRUE(waitUntil([&] {
        mainQueue->runReady();
        return coordinator->state().repeatIndex() >= 2;
    }));
    EXPECT_EQ(toolTip(), "Playing " + std::to_string(coordinator->state().repeatIndex()) + " of ∞ — click to stop");
    const qint64 firstFrame = controller->trayIcon().icon().cacheKey();
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller->trayIcon().icon().cacheKey() != firstFrame; }, 3000))
        << "the icon alternates";

    click(QSystemTrayIcon::Context);
    mainQueue->runReady();
    EXPECT_EQ(coordinator->state().kind(), AppState::Kind::playing) << "a right click opens the menu instead";
    EXPECT_FALSE(controller->clickMenu().isVisible());
    click(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(waitForIdle());
    EXPECT_FALSE(controller->clickMenu().isVisible());
    EXPECT_EQ(toolTip(), "Brevanor");

    click(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(controller->clickMenu().isVisible());
    EXPECT_EQ(titles(controller->clickMenu())[5], kIndent + "Endless");
    controller->clickMenu().hide();
}

}  // namespace
}  // namespace brevanor::testing
