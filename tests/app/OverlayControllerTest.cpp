#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/ui/OverlayController.h"
#include "app/ui/OverlayView.h"
#include "core/control/ReleaseWait.h"
#include "tests/app/CoordinatorTest.h"

namespace brevanor::testing {
namespace {

// The status pill on the fake backend and Qt's offscreen screens.
class OverlayControllerTest : public CoordinatorTest {
protected:
    OverlayController& makeController() {
        make();
        controller = std::make_unique<OverlayController>(*coordinator, *settings);
        return *controller;
    }

    bool pillShown() const { return controller->panel() && controller->panel()->isVisible(); }
    std::string label(const char* name) const {
        const auto* found = controller->panel()->findChild<QLabel*>(QString::fromLatin1(name));
        return found && found->isVisibleTo(controller->panel()) ? found->text().toStdString() : "";
    }
    QColor subtitleColour() const {
        return controller->panel()
            ->findChild<QLabel*>(QStringLiteral("subtitle"))
            ->palette()
            .color(QPalette::WindowText);
    }

    std::unique_ptr<OverlayController> controller;
};

TEST_F(OverlayControllerTest, ACountdownShowsThePillUnderThePointerAndARecordingWithoutScreenPositionsSaysSo) {
    source->setReportsScreenPositions(false);  // as the kernel's devices on Wayland
    makeController();
    const QRect usable = QGuiApplication::primaryScreen()->availableGeometry();
    QCursor::setPos(usable.center());
    coordinator->toggleRecording();
    ASSERT_TRUE(pillShown());
    const QWidget& pill = *controller->panel();
    EXPECT_EQ(pill.pos(), QPoint(usable.x() + (usable.width() - 500) / 2, usable.y() + 10));
    EXPECT_EQ(label("title"), "Recording starts in 3…");
    EXPECT_EQ(label("subtitle"), "Press Ctrl+Alt+Super+R to start now");
    EXPECT_EQ(label("stopHint"), "Stop: Ctrl+Alt+Super+X or hold Esc");

    // The pointer moves on: the pill stays until it shows anew.
    QCursor::setPos(usable.topLeft() + QPoint(5, 5));
    mainQueue->advanceBy(kSeconds);
    EXPECT_EQ(label("title"), "Recording starts in 2…");
    EXPECT_EQ(pill.pos().x(), usable.x() + (usable.width() - 500) / 2);

    // The recording tells in its first seconds that it replays from where the pointer is.
    mainQueue->advanceBy(2 * kSeconds);
    ASSERT_EQ(coordinator->state(), AppState::recording());
    EXPECT_EQ(label("subtitle"), "Positions: relative — replays from where the pointer is");
    EXPECT_GT(subtitleColour().red(), subtitleColour().blue()) << "orange";
    mainQueue->advanceBy(OverlayView::relativeNoticeNanos);
    EXPECT_EQ(label("subtitle"), "0 events") << "said once";
}

TEST_F(OverlayControllerTest, ARecordingCountsUpWarnsInOrangeWhenSecureInputIsOnAndFollowsTheSwitch) {
    makeController();
    startRecording();
    EXPECT_EQ(label("title"), "Recording 0:00.0");
    EXPECT_EQ(label("subtitle"), "0 events");
    feed({key(true, 0, now()), key(false, 0, now() + kMillis)});
    mainQueue->advanceBy(200 * kMillis);
    EXPECT_EQ(label("title"), "Recording 0:00.2");
    EXPECT_EQ(label("subtitle"), "2 events");
    const QColor plain = subtitleColour();

    secureInput->setEnabled(true);
    ASSERT_TRUE(waitUntil([&] {
        mainQueue->runReady();
        return coordinator->secureInputActive();
    }));
    EXPECT_EQ(label("subtitle"), "Secure Input is on: keystrokes in this field are not recorded");
    EXPECT_NE(subtitleColour(), plain);
    EXPECT_GT(subtitleColour().red(), subtitleColour().blue()) << "orange";

    // The switch hides and shows the pill at once, and keeps a new recording's hidden.
    settings->setShowOverlay(false);
    EXPECT_FALSE(pillShown());
    coordinator->stop();
    startRecording();
    EXPECT_FALSE(pillShown());
    settings->setShowOverlay(true);
    EXPECT_TRUE(pillShown());
}

TEST_F(OverlayControllerTest, APlaybackNamesItsPassAndWarnsOfASkippedRestoreOrOfHeldKeys) {
    makeController();
    Recording recording = typingRecording("Typing");
    recording.settings.repeatInfinite = true;
    recording.environment.frontmostApp = FrontmostAppInfo{"org.example.Editor", "Editor", std::nullopt, std::nullopt};
    recording.settings.silencedWarnings = {PreflightWarningKind::appNotRunning};
    coordinator->play(recording);
    ASSERT_EQ(coordinator->state().kind(), AppState::Kind::playing);
    EXPECT_EQ(label("title").rfind("Playing 1 of ∞ • 0:00.", 0), 0u) << label("title");
    EXPECT_EQ(label("subtitle"), "Editor is not running.");
    EXPECT_GT(subtitleColour().red(), subtitleColour().blue()) << "orange";
    coordinator->stop();
    ASSERT_TRUE(waitForIdle());

    // Keys still held ask to be released before the playback starts.
    heldInput->setHeld(true);
    coordinator->play(typingRecording("Plain"));
    ASSERT_TRUE(coordinator->waitingForRelease());
    EXPECT_EQ(label("title"), "Preparing to play…");
    EXPECT_EQ(label("subtitle"), "Release the keys to start");
    EXPECT_GT(subtitleColour().red(), subtitleColour().blue()) << "orange";
    heldInput->setHeld(false);
    mainQueue->advanceBy(ReleaseWait::pollNanos);
    EXPECT_EQ(label("subtitle"), "Brevanor is driving the mouse and keyboard");
    ASSERT_TRUE(waitForIdle());
}

}  // namespace
}  // namespace brevanor::testing
