#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/model/Recording.h"

class QLabel;
class QPushButton;
class QDoubleSpinBox;
class QTableView;
class QUndoStack;

namespace brevanor {

class ActivityStrip;
class EventTableModel;

// The event list of the recording detail: the events in a table, kept in
// step with the activity strip (a row selects its stretch of time there, a
// drag across the strip selects the rows in it), and the edits of EventEdits
// on the selection, each an undoable step (Ctrl+Z, Ctrl+Shift+Z; nudges of a
// gap merge into one step). Every edit hands the edited events, recorded
// events and trim to `commit`, which puts them in the draft and saves it as the
// detail saves any change; refresh() shows the draft again after it changed.
class EventEditor : public QWidget {
    Q_OBJECT

public:
    using KeyName = std::function<std::string(std::uint16_t)>;
    static constexpr std::uint64_t nudgeNanos = 10'000'000;

    using Commit = std::function<void(std::vector<RecordingEvent> events,
                                      std::optional<std::vector<RecordingEvent>> recordedEvents, TrimRange trim)>;

    EventEditor(std::function<const Recording&()> draft, Commit commit, std::function<void(Recording)> play,
                KeyName keyName, ActivityStrip& strip, QWidget* parent = nullptr);

    void refresh();

    EventTableModel& model() { return *model_; }
    QTableView& table() { return *table_; }
    QUndoStack& undoStack() { return *undo_; }

    // The selected events (rows opened into their events), first to last; none without a selection.
    std::optional<std::pair<std::size_t, std::size_t>> selectedRange() const;
    // Selects the rows of these events, as the strip does.
    void selectEvents(std::size_t first, std::size_t last);
    // Selects the events in a stretch of time.
    void selectTime(std::uint64_t fromNanos, std::uint64_t toNanos);

    void deleteSelection();
    void cutSelection();
    void speedSelection(double factor);
    void capPauses(std::uint64_t maxNanos);
    void straightenSelection();
    void insertWait(std::uint64_t nanos);
    void setGap(std::size_t eventIndex, std::uint64_t nanos);
    void moveClick(std::size_t eventIndex, double x, double y);
    void nudgeGap(int direction);
    void removeFlagged();
    void revertToRecorded();
    void playSelection();
    void playFromSelected();
    // The selected rows as text on the clipboard (a sensitive recording's keys hidden).
    void copySelection();

    // The last refusal of an edit, shown under the list; empty when the last edit went through.
    QString lastError() const;

private:
    // Makes `edit` on a copy of the draft and, unless it fails, pushes it as one step named `text`.
    void perform(const QString& text, const std::function<void(Recording&)>& edit, int mergeId = -1,
                 std::size_t mergeKey = 0);
    void showSelectionOnStrip();
    void showFlags();
    void showButtons();

    std::function<const Recording&()> draft_;
    Commit commit_;
    std::function<void(Recording)> play_;
    ActivityStrip& strip_;
    EventTableModel* model_;
    QTableView* table_;
    QUndoStack* undo_;
    QLabel* flags_;
    QPushButton* removeFlagged_;
    QLabel* error_;
    QPushButton* revert_;
    QDoubleSpinBox* factor_;
    QDoubleSpinBox* capSeconds_;
    QDoubleSpinBox* waitSeconds_;
    std::vector<QPushButton*> selectionButtons_;
    bool syncing_ = false;
};

}  // namespace brevanor
