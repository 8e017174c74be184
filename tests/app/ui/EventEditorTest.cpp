#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include "app/ui/ActivityStrip.h"
#include "app/ui/EventEditor.h"
#include "app/ui/EventTableModel.h"
#include "core/model/EventEdits.h"
#include "tests/app/ui/LibraryUiTest.h"

namespace brevanor::testing {
namespace {

class EventEditorTest : public LibraryUiTest {
protected:
    // Two paths in a row, a click, a pause, Shift+A, and the stop shortcut's Control left pressed.
    Recording sample(std::string name = "Events") const {
        Recording recording = typingRecording(std::move(name));
        recording.events = {
            RecordingEvent::mousePath({0, {{0, 10, 10}, {40 * kMillis, 30, 20}}}),             // 0
            RecordingEvent::mousePath({60 * kMillis, {{0, 30, 20}, {40 * kMillis, 40, 40}}}),  // 1
            RecordingEvent::mouseDown({200 * kMillis, MouseButton::left, 0, 40, 40, 1, 0}),    // 2
            RecordingEvent::mouseUp({280 * kMillis, MouseButton::left, 0, 40, 40, 1, 0}),      // 3
            RecordingEvent::idleGap({280 * kMillis, 1720 * kMillis}),                          // 4
            RecordingEvent::flagsChanged({2000 * kMillis, 56, 0x20000, true}),                 // 5
            RecordingEvent::keyDown({2100 * kMillis, 0, 0x20000, false}),                      // 6
            RecordingEvent::keyUp({2200 * kMillis, 0, 0x20000, false}),                        // 7
            RecordingEvent::flagsChanged({2300 * kMillis, 56, 0, false}),                      // 8
            RecordingEvent::flagsChanged({2400 * kMillis, 59, 0x40000, true}),                 // 9
        };
        return recording;
    }

    EventEditor& open(const Recording& recording) {
        editor = &edit(recording);
        return editor->events();
    }

    QString cell(int row, int column) const {
        const EventTableModel& model = editor->events().model();
        return model.index(row, column).data().toString();
    }

    void selectRows(int first, int last) {
        QTableView& table = editor->events().table();
        table.selectionModel()->select(QItemSelection(table.model()->index(first, 0),
                                                      table.model()->index(last, EventTableModel::columnTotal - 1)),
                                       QItemSelectionModel::ClearAndSelect);
    }

    // Keys reach the table's shortcuts only in an active window.
    void focusTable() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        editor->events().table().setFocus();
    }

    QString undoText() const { return editor->findChild<QToolButton*>(QStringLiteral("undo"))->text(); }

    void saveNow() { mainQueue->advanceBy(RecordingDetailView::autosaveDelayNanos); }

    RecordingDetailView* editor = nullptr;
};

TEST_F(EventEditorTest, ListsEventsWithTheirTextsCollapsesARunOfPathsAndFlagsTheStopShortcutsLeftover) {
    EventEditor& events = open(sample());
    EventTableModel& model = events.model();
    ASSERT_EQ(model.rowCount(), 9) << "the two paths share a row";
    EXPECT_EQ(cell(0, EventTableModel::indexColumn), QStringLiteral("0–1"));
    EXPECT_EQ(cell(0, EventTableModel::typeColumn), QStringLiteral("Path"));
    EXPECT_EQ(cell(0, EventTableModel::detailsColumn), QStringLiteral("2 paths, 4 points, until 0.100 s ▸"));
    // The texts are the event descriptions the command line shows; here only each row's event is checked.
    EXPECT_EQ(cell(1, EventTableModel::gapColumn), QStringLiteral("+0.100 s")) << "after the end of the last path";
    EXPECT_EQ(cell(4, EventTableModel::timeColumn), QStringLiteral("2.000 s"));
    EXPECT_EQ(cell(5, EventTableModel::detailsColumn), QStringLiteral("A  Shift"));

    model.toggleRun(0);
    ASSERT_EQ(model.rowCount(), 10);
    EXPECT_EQ(cell(1, EventTableModel::detailsColumn), QStringLiteral("2 points (30, 20) → (40, 40) in 0.040 s"));
    model.toggleRun(1);
    EXPECT_EQ(model.rowCount(), 9) << "closed again";

    // The stop shortcut's leftover is flagged and removed in one step.
    QPushButton* remove = editor->findChild<QPushButton*>(QStringLiteral("removeFlagged"));
    ASSERT_TRUE(remove->isVisibleTo(editor));
    EXPECT_TRUE(visibleTexts(*editor).contains(
        QStringLiteral("1 event looks unwanted: a key or button never released (usually the stop shortcut's) or "
                       "released without a press.")));
    EXPECT_EQ(model.index(8, 0).data(Qt::ToolTipRole).toString(),
              QStringLiteral("Never released: usually what is left of the stop shortcut."));
    remove->click();
    EXPECT_EQ(undoText(), QStringLiteral("Undo Remove Unwanted Event"));
    EXPECT_EQ(editor->draft().events.size(), 9u);
    EXPECT_FALSE(remove->isVisibleTo(editor));
}

TEST_F(EventEditorTest, DeletesWithItsPartnersUndoesRedoesAndSavesTheEditedEvents) {
    const Recording recording = sample();
    EventEditor& events = open(recording);
    EXPECT_FALSE(editor->findChild<QPushButton*>(QStringLiteral("revert"))->isEnabled());
    focusTable();
    selectRows(4, 5);  // Shift down and A down: their releases go too
    QTest::keyClick(&events.table(), Qt::Key_Delete);
    EXPECT_EQ(undoText(), QStringLiteral("Undo Delete 4 Events"));
    EXPECT_EQ(editor->draft().events.size(), 6u);
    EXPECT_TRUE(visibleTexts(*editor).contains(QStringLiteral("6"))) << "the Events row follows";
    saveNow();
    const std::optional<Recording> saved = store->load(recording.id);
    EXPECT_EQ(saved->events.size(), 6u);
    EXPECT_EQ(saved->recordedEvents, recording.events) << "the recorded events stay beside the edited ones";
    EXPECT_TRUE(editor->findChild<QPushButton*>(QStringLiteral("revert"))->isEnabled());

    QTest::keyClick(&events.table(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->draft().events, recording.events);
    QTest::keyClick(&events.table(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(editor->draft().events.size(), 6u);

    editor->findChild<QPushButton*>(QStringLiteral("revert"))->click();
    EXPECT_EQ(undoText(), QStringLiteral("Undo Revert to Recorded"));
    saveNow();
    EXPECT_EQ(store->load(recording.id), recording) << "reverted, the document is as recorded";
}

TEST_F(EventEditorTest, EditsAGapAndAClickInTheirCellsRefusesWhatCannotBeAndNudgesAGapInOneStep) {
    EventEditor& events = open(sample());
    EventTableModel& model = events.model();
    EXPECT_TRUE(model.setData(model.index(4, EventTableModel::gapColumn), QStringLiteral("250"), Qt::EditRole));
    QCoreApplication::processEvents();
    EXPECT_EQ(EventEdits::gapBefore(editor->draft().events, 5), 250 * kMillis);
    EXPECT_TRUE(model.setData(model.index(1, EventTableModel::detailsColumn), QStringLiteral("5, 6"), Qt::EditRole));
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->draft().events[3].mouseButton().x, 5) << "the release moves with the press";
    EXPECT_FALSE(model.setData(model.index(1, EventTableModel::detailsColumn), QStringLiteral("five"), Qt::EditRole));
    EXPECT_FALSE(model.flags(model.index(5, EventTableModel::detailsColumn)) & Qt::ItemIsEditable);
    events.moveClick(0, 1, 1);
    EXPECT_EQ(events.lastError(), QStringLiteral("event 0 is a mouse path, not a mouse button press or release"));

    // Nudges of one gap in a row are one step.
    focusTable();
    selectRows(4, 4);
    const int steps = events.undoStack().index();
    for (int i = 0; i < 3; ++i) QTest::keyClick(&events.table(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(events.undoStack().index(), steps + 1) << "three nudges, one step";
    EXPECT_EQ(undoText(), QStringLiteral("Undo Change Gap"));
    EXPECT_EQ(EventEdits::gapBefore(editor->draft().events, 5), 280 * kMillis);
    events.undoStack().undo();
    EXPECT_EQ(EventEdits::gapBefore(editor->draft().events, 5), 250 * kMillis);
}

TEST_F(EventEditorTest, KeepsTheSelectionInStepWithTheStrip) {
    EventEditor& events = open(sample());
    ActivityStrip& strip = editor->activityStrip();
    selectRows(5, 6);
    ASSERT_TRUE(strip.selection());
    EXPECT_EQ(*strip.selection(), (std::pair<std::uint64_t, std::uint64_t>{2100 * kMillis, 2200 * kMillis}));

    strip.resize(600, strip.sizeHint().height());
    // A drag from 1.9 s to 2.25 s selects the Shift press, the A press and its release.
    QTest::mousePress(&strip, Qt::LeftButton, {}, QPoint(qRound(strip.xOf(1900 * kMillis)), 5));
    QTest::mouseMove(&strip, QPoint(qRound(strip.xOf(2250 * kMillis)), 5));
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, QPoint(qRound(strip.xOf(2250 * kMillis)), 5));
    const auto range = events.selectedRange();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 5u);
    EXPECT_EQ(range->second, 7u);

    strip.zoom(4, strip.xOf(2000 * kMillis));
    EXPECT_LT(strip.view().second - strip.view().first, editor->draft().durationNanos() / 3) << "zoomed in";
}

TEST_F(EventEditorTest, CopiesRowsWithTheKeysOfASensitiveRecordingHidden) {
    Recording secret = sample("Secret");
    secret.settings.containsSensitiveInput = true;
    EventEditor& events = open(secret);
    focusTable();
    selectRows(5, 6);
    QTest::keyClick(&events.table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("6\t2.100 s\t+0.100 s\tKey down\t•••\n7\t2.200 s\t+0.100 s\tKey up\t•••"));
}

// The selection plays with the modifier held there; from an event to the end,
// every modifier held on the way is let go.
TEST_F(EventEditorTest, PlaysTheSelectionOrFromAnEventWithTheModifiersHeldThereAndNoneLeftHeld) {
    open(sample());
    selectRows(5, 5);  // the A's press: Shift is down there, Control stays down at the end
    editor->findChild<QPushButton*>(QStringLiteral("playSelection"))->click();
    ASSERT_TRUE(waitForIdle());
    const std::vector<SyntheticInput> keys = postedKeys();
    ASSERT_EQ(keys.size(), 2u) << "the A pressed and released";
    EXPECT_EQ(keys[0].type, SyntheticInput::Type::keyDown);
    EXPECT_EQ(keys[1].type, SyntheticInput::Type::keyUp);

    injector->clear();
    editor->findChild<QPushButton*>(QStringLiteral("playFrom"))->click();
    ASSERT_TRUE(waitForIdle());
    std::vector<std::pair<std::uint16_t, bool>> modifiers;
    for (const SyntheticInput& input : injector->postedInputs()) {
        if (input.type == SyntheticInput::Type::flagsChanged) modifiers.emplace_back(input.keyCode, input.keyIsDown);
    }
    ASSERT_GE(modifiers.size(), 4u);
    EXPECT_EQ(modifiers.front(), (std::pair<std::uint16_t, bool>{56, true})) << "Shift first";
    int held = 0;
    for (const auto& [keyCode, down] : modifiers) held += down ? 1 : -1;
    EXPECT_EQ(held, 0) << "every modifier released";
    EXPECT_EQ(postedKeys().size(), 2u);
}

TEST_F(EventEditorTest, EveryRangeEditIsOneNamedStep) {
    EventEditor& events = open(sample());
    const auto press = [&](const char* name, int first, int last) {
        selectRows(first, last);
        editor->findChild<QPushButton*>(QString::fromLatin1(name))->click();
        return undoText();
    };
    EXPECT_EQ(press("faster", 0, 2), QStringLiteral("Undo Speed Up 4 Events")) << "the run of paths counts twice";
    EXPECT_EQ(editor->draft().events[3].timestamp(), 140 * kMillis);
    events.undoStack().undo();
    EXPECT_EQ(press("cut", 1, 2), QStringLiteral("Undo Cut 2 Events"));
    EXPECT_EQ(editor->draft().events[2].timestamp(), 200 * kMillis) << "the pause after the click, 80 ms earlier";
    events.undoStack().undo();
    EXPECT_EQ(press("slower", 1, 2), QStringLiteral("Undo Slow Down 2 Events"));
    EXPECT_EQ(press("cap", 0, 8), QStringLiteral("Undo Cap Pauses"));
    EXPECT_LE(EventEdits::gapBefore(editor->draft().events, 5), 1000 * kMillis);
    EXPECT_EQ(press("wait", 2, 2), QStringLiteral("Undo Insert Wait"));
    EXPECT_EQ(press("straighten", 0, 0), QStringLiteral("Undo Insert Wait")) << "two-point paths are straight already";
    events.undoStack().setIndex(0);
    EXPECT_EQ(editor->draft().events, sample().events) << "all undone";
}

}  // namespace
}  // namespace brevanor::testing
