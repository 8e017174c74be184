#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "app/ui/HotkeyRecorderView.h"
#include "base/time/MonotonicClock.h"
#include "tests/app/ui/LibraryUiTest.h"

namespace brevanor::testing {
namespace {

class RecordingDetailViewTest : public LibraryUiTest {
protected:
    // The value of the information row `label`; empty when the row is not shown.
    QString fact(const QString& label) const {
        const QList<QLabel*> labels = window->editor()->findChildren<QLabel*>();
        for (qsizetype i = 0; i + 1 < labels.size(); ++i) {
            if (labels[i]->text() == label) return labels[i + 1]->text();
        }
        return {};
    }

    std::optional<Recording> onDisk(const Uuid& id) const {
        try {
            return store->load(id);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
};

TEST_F(RecordingDetailViewTest, ABurstOfTypingIsSavedOnceHalfASecondAfterTheLastKey) {
    const Recording recording = timed("Draft", kSeconds, 2);
    RecordingDetailView& editor = edit(recording);
    QSignalSpy saves(coordinator.get(), &AppCoordinator::recordingsChanged);
    auto* name = editor.findChild<QLineEdit*>(QStringLiteral("name"));
    name->selectAll();
    for (const QChar letter : QStringLiteral("Invoice run")) {
        QTest::keyClicks(name, QString(letter));
        mainQueue->advanceBy(100 * kMillis);
    }
    EXPECT_EQ(saves.count(), 0);
    mainQueue->advanceBy(399 * kMillis);
    EXPECT_EQ(saves.count(), 0);
    mainQueue->advanceBy(1 * kMillis);
    EXPECT_EQ(saves.count(), 1);
    EXPECT_EQ(onDisk(recording.id)->name, "Invoice run");
    mainQueue->advanceBy(2 * kSeconds);
    EXPECT_EQ(saves.count(), 1);
}

// Once played, the editor tells how faithfully the keys came back from the system.
TEST_F(RecordingDetailViewTest, PlayWithControlReturnSavesTheNewSpeedFirstAndTellsTheReplaysFidelity) {
    const Recording recording = timed("Fast", 50 * kMillis, 2);
    RecordingDetailView& editor = edit(recording);
    injector->onPost([this](const SyntheticInput& input) {
        TapEvent echo = key(input.type == SyntheticInput::Type::keyDown, input.keyCode, MonotonicClock::now());
        echo.isSynthetic = true;
        source->push(echo);
    });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(fact(QStringLiteral("Last replay")), QString()) << "not played yet";
    editor.findChild<QSlider*>(QStringLiteral("speed"))->setValue(6);
    QTest::keyClick(editor.findChild<QLineEdit*>(QStringLiteral("name")), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(onDisk(recording.id)->settings.speed, 3.0) << "saved before playback starts";
    EXPECT_NE(coordinator->state(), AppState::idle());
    EXPECT_TRUE(waitForIdle());
    EXPECT_EQ(postedKeys().size(), 2u);
    EXPECT_TRUE(fact(QStringLiteral("Last replay")).startsWith(QStringLiteral("2/2 events, timing p95 ")))
        << fact(QStringLiteral("Last replay")).toStdString();
}

TEST_F(RecordingDetailViewTest, NothingIsWrittenBackAfterADeleteNorLostWhenAnotherRecordingIsSelected) {
    Recording other = timed("Other", kSeconds, 2);
    other.createdAt -= std::chrono::hours(1);
    const Recording recording = timed("Doomed", kSeconds, 2);
    RecordingDetailView& editor = edit(recording);
    stored(other);

    // Leaving a recording saves its change at once.
    editor.findChild<QCheckBox*>(QStringLiteral("sensitive"))->click();
    window->sidebar().select(other.id);
    EXPECT_TRUE(onDisk(recording.id)->settings.containsSensitiveInput);

    window->sidebar().select(recording.id);
    RecordingDetailView& again = *window->editor();
    QTest::keyClicks(again.findChild<QLineEdit*>(QStringLiteral("name")), QStringLiteral(" typed"));
    findButton(again, QStringLiteral("Delete…"))->click();
    auto* confirmation = again.findChild<QMessageBox*>();
    ASSERT_NE(confirmation, nullptr);
    EXPECT_EQ(confirmation->text(), QStringLiteral("Delete “Doomed typed”?"));
    EXPECT_EQ(confirmation->informativeText(), QStringLiteral("This cannot be undone."));
    findButton(*confirmation, QStringLiteral("Delete"))->click();
    mainQueue->advanceBy(2 * kSeconds);
    QApplication::processEvents();
    EXPECT_EQ(onDisk(recording.id), std::nullopt);
    EXPECT_EQ(coordinator->recordings().size(), 1u) << "only the other one is left";
    EXPECT_EQ(window->editor()->draft().id, other.id);
}

TEST_F(RecordingDetailViewTest, TheInformationRowsShowOnlyWhatWasRecordedAndTheTrimLineTrimsAndUndoes) {
    Recording recording = timed("Made somewhere", kSeconds, 2);
    recording.events = {
        RecordingEvent::idleGap({0, 1'500'000'000}), RecordingEvent::keyDown({1'500'000'000, 0, 0, false}),
        RecordingEvent::keyUp({2'000'000'000, 0, 0, false}), RecordingEvent::idleGap({2'000'000'000, 3'000'000'000})};
    recording.environment.displays = {DisplayInfo{1, FrameRect{0, 0, 1512.7, 982.2}, 2.0},
                                      DisplayInfo{2, FrameRect{1512, 0, 1920, 1080}, 1.0}};
    recording.environment.frontmostApp = FrontmostAppInfo{"org.example.Editor", std::nullopt, "", std::nullopt};
    recording.environment.keyboardInputSourceID = "";
    recording.environment.relativePositions = true;
    RecordingDetailView& editor = edit(recording);
    EXPECT_EQ(fact(QStringLiteral("Positions")),
              QStringLiteral("relative to where the pointer is when playback starts"));
    EXPECT_EQ(fact(QStringLiteral("Displays")), QStringLiteral("1512×982 @2x, 1920×1080 @1x"));
    EXPECT_EQ(fact(QStringLiteral("App")), QStringLiteral("org.example.Editor"));
    EXPECT_EQ(fact(QStringLiteral("Events")), QStringLiteral("4"));
    EXPECT_EQ(fact(QStringLiteral("Recorded")), QString::fromStdString(dates().format(recording.createdAt)));
    EXPECT_TRUE(visibleTexts(editor).contains(QStringLiteral("Keyboard"))) << "an empty input source is still shown";
    EXPECT_FALSE(visibleTexts(editor).contains(QStringLiteral("Window"))) << "the title is empty";

    // The idle ends can be trimmed, and the trim undone.
    EXPECT_EQ(fact(QStringLiteral("Duration")), QStringLiteral("5.0 s"));
    EXPECT_TRUE(
        visibleTexts(editor).contains(QStringLiteral("Leading and trailing idle time is included in playback.")));
    findButton(editor, QStringLiteral("Trim Idle Time"))->click();
    EXPECT_TRUE(
        visibleTexts(editor).contains(QStringLiteral("Trimmed 1.5 s of leading and 3.0 s of trailing idle time.")));
    EXPECT_EQ(fact(QStringLiteral("Duration")), QStringLiteral("0.5 s"));
    EXPECT_EQ(editor.draft().trim, (TrimRange{1'500'000'000, 3'000'000'000}));
    findButton(editor, QStringLiteral("Undo Trim"))->click();
    EXPECT_EQ(editor.draft().trim, TrimRange{});
    EXPECT_EQ(fact(QStringLiteral("Duration")), QStringLiteral("5.0 s"));

    // Without an environment nor idle ends, none of these rows nor the trim line shows.
    Recording bare = timed("Made nowhere", kSeconds, 2);
    bare.environment = EnvironmentSnapshot::empty();
    stored(bare);
    window->sidebar().select(bare.id);
    for (const char* absent : {"App", "Window", "Displays", "Keyboard", "Positions"}) {
        EXPECT_FALSE(visibleTexts(*window->editor()).contains(QString::fromLatin1(absent))) << absent;
    }
    auto* trim = window->editor()->findChild<QAbstractButton*>(QStringLiteral("trim"));
    ASSERT_NE(trim, nullptr);
    EXPECT_FALSE(trim->isVisibleTo(window->editor())) << "nothing to trim";
}

TEST_F(RecordingDetailViewTest, AShortcutInUseIsNamedButTheRecordingsOwnIsNoConflict) {
    const HotkeyChord controlF1{122, HotkeyChord::controlFlag};
    Recording twin = timed("Twin", kSeconds, 2);
    twin.createdAt -= std::chrono::hours(1);
    twin.settings.playHotkey = controlF1;
    make();
    stored(twin);
    Recording recording = timed("With shortcut", kSeconds, 2);
    recording.settings.playHotkey = HotkeyChord::defaultStop;
    RecordingDetailView& editor = edit(recording);
    EXPECT_TRUE(visibleTexts(editor).contains(QStringLiteral("Already assigned to “Stop”")));

    // The user gives it the twin's shortcut in the field.
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QPushButton* field = editor.findChild<HotkeyRecorderView*>()->findChild<QPushButton*>();
    field->click();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::ControlModifier,
                    controlF1.keyCode + FakeHotKeyService::nativeKeyCodeOffset, 0,
                    static_cast<std::uint32_t>(controlF1.modifiers));
    QApplication::sendEvent(field, &press);
    EXPECT_EQ(editor.draft().settings.playHotkey, controlF1);
    QApplication::processEvents();  // new lines in a shown window appear with the next event loop turn
    EXPECT_TRUE(visibleTexts(editor).contains(QStringLiteral("Already assigned to “Twin”")));
    EXPECT_FALSE(visibleTexts(editor).contains(QStringLiteral("Already assigned to “Stop”")));
    mainQueue->advanceBy(RecordingDetailView::autosaveDelayNanos);
    EXPECT_EQ(onDisk(recording.id)->settings.playHotkey, controlF1);

    // Its own shortcut is no conflict for a recording.
    window->sidebar().select(twin.id);
    for (const QString& text : visibleTexts(*window->editor())) {
        EXPECT_FALSE(text.contains(QStringLiteral("Twin"))) << text.toStdString();
    }
}

// The refusal is shown in the window's banner, selectable, until it is dismissed.
TEST_F(RecordingDetailViewTest, ExportAfterMarkingSensitiveIsRefusedInTheBannerUntilDismissed) {
    const Recording recording = timed("Passwords", kSeconds, 2);
    RecordingDetailView& editor = edit(recording);
    editor.findChild<QCheckBox*>(QStringLiteral("sensitive"))->click();
    findButton(editor, QStringLiteral("Export…"))->click();
    EXPECT_TRUE(prompts->proposedExportNames.empty());
    EXPECT_TRUE(onDisk(recording.id)->settings.containsSensitiveInput) << "flushed before the export";

    const QString message =
        QStringLiteral("“Passwords” is marked as containing sensitive input, so it cannot be exported.");
    ASSERT_TRUE(visibleTexts(*window).contains(message));
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text() == message) {
            EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
        }
    }
    findButton(*window, QStringLiteral("Dismiss"))->click();
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt);
    EXPECT_FALSE(visibleTexts(*window).contains(message));
}

}  // namespace
}  // namespace brevanor::testing
