#include "app/ui/EventEditor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QToolButton>
#include <QUndoCommand>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/ActivityStrip.h"
#include "app/ui/EventTableModel.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"
#include "core/model/EventEditError.h"
#include "core/model/EventEdits.h"

namespace brevanor {

namespace {

const QColor kErrorColor(213, 94, 0);
constexpr int kNudgeMergeId = 1;

// What an edit changes of a recording.
struct EventState {
    std::vector<RecordingEvent> events;
    std::optional<std::vector<RecordingEvent>> recordedEvents;
    TrimRange trim;

    static EventState of(const Recording& recording) {
        return {recording.events, recording.recordedEvents, recording.trim};
    }
    static EventState of(Recording&& recording) {
        return {std::move(recording.events), std::move(recording.recordedEvents), recording.trim};
    }
};

// One undoable edit: the events before and after it. Nudges of the same event's gap merge.
class EditCommand : public QUndoCommand {
public:
    EditCommand(const QString& text, EventState before, EventState after, std::function<void(const EventState&)> apply,
                int mergeId, std::size_t mergeKey)
        : QUndoCommand(text),
          before_(std::move(before)),
          after_(std::move(after)),
          apply_(std::move(apply)),
          mergeId_(mergeId),
          mergeKey_(mergeKey) {}

    void redo() override { apply_(after_); }
    void undo() override { apply_(before_); }
    int id() const override { return mergeId_; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const EditCommand*>(other);
        if (next->mergeKey_ != mergeKey_) return false;
        after_ = next->after_;
        return true;
    }

private:
    EventState before_;
    EventState after_;
    std::function<void(const EventState&)> apply_;
    int mergeId_;
    std::size_t mergeKey_;
};

QString counted(const char* one, const char* many, std::size_t count) {
    return count == 1 ? UiText::tr(one) : UiText::tr(many).arg(count);
}

QDoubleSpinBox* spinBox(const char* name, double least, double most, double value, double step, int decimals,
                        const QString& suffix, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(least, most);
    box->setValue(value);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    return box;
}

}  // namespace

EventEditor::EventEditor(std::function<const Recording&()> draft, Commit commit, std::function<void(Recording)> play,
                         KeyName keyName, ActivityStrip& strip, QWidget* parent)
    : QWidget(parent),
      draft_(std::move(draft)),
      commit_(std::move(commit)),
      play_(std::move(play)),
      strip_(strip),
      model_(new EventTableModel(std::move(keyName), this)),
      table_(new QTableView(this)),
      undo_(new QUndoStack(this)) {
    undo_->setUndoLimit(100);

    flags_ = new QLabel(this);
    flags_->setWordWrap(true);
    TextStyle::caption(*flags_);
    removeFlagged_ = new QPushButton(UiText::tr("Remove"), this);
    removeFlagged_->setObjectName(QStringLiteral("removeFlagged"));
    auto* flagRow = new QHBoxLayout;
    flagRow->addWidget(flags_, 1);
    flagRow->addWidget(removeFlagged_);

    table_->setObjectName(QStringLiteral("events"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setWordWrap(false);
    table_->setMinimumHeight(240);
    // Rows of equal height and no per-row sizing keep a list of 100,000 events quick to open and scroll.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    const int digit = table_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    table_->setColumnWidth(EventTableModel::indexColumn, digit * 9);
    table_->setColumnWidth(EventTableModel::timeColumn, digit * 10);
    table_->setColumnWidth(EventTableModel::gapColumn, digit * 10);
    table_->setColumnWidth(EventTableModel::typeColumn, digit * 14);

    const auto button = [this](const char* text, const char* name, auto&& action, bool needsSelection = true) {
        auto* b = new QPushButton(UiText::tr(text), this);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, action);
        if (needsSelection) selectionButtons_.push_back(b);
        return b;
    };
    factor_ = spinBox("factor", 1.1, 10, 2, 0.5, 1, QStringLiteral("×"), this);
    capSeconds_ = spinBox("capSeconds", 0, 3600, 1, 0.5, 1, QStringLiteral(" s"), this);
    waitSeconds_ = spinBox("waitSeconds", 0.1, 3600, 1, 0.5, 1, QStringLiteral(" s"), this);

    auto* edits = new QHBoxLayout;
    edits->addWidget(button("Delete", "delete", [this] { deleteSelection(); }));
    edits->addWidget(button("Cut", "cut", [this] { cutSelection(); }));
    edits->addSpacing(8);
    edits->addWidget(factor_);
    edits->addWidget(button("Faster", "faster", [this] { speedSelection(factor_->value()); }));
    edits->addWidget(button("Slower", "slower", [this] { speedSelection(1 / factor_->value()); }));
    edits->addSpacing(8);
    edits->addWidget(button("Straighten", "straighten", [this] { straightenSelection(); }));
    edits->addStretch(1);

    auto* times = new QHBoxLayout;
    times->addWidget(
        button("Cap Pauses at", "cap", [this] { capPauses(static_cast<std::uint64_t>(capSeconds_->value() * 1e9)); }));
    times->addWidget(capSeconds_);
    times->addSpacing(8);
    times->addWidget(button("Insert Wait of", "wait",
                            [this] { insertWait(static_cast<std::uint64_t>(waitSeconds_->value() * 1e9)); }));
    times->addWidget(waitSeconds_);
    times->addStretch(1);

    QAction* undoAction = undo_->createUndoAction(this, UiText::tr("Undo"));
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undoAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QAction* redoAction = undo_->createRedoAction(this, UiText::tr("Redo"));
    redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redoAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(undoAction);
    addAction(redoAction);
    auto* undoButton = new QToolButton(this);
    undoButton->setObjectName(QStringLiteral("undo"));
    undoButton->setDefaultAction(undoAction);
    auto* redoButton = new QToolButton(this);
    redoButton->setObjectName(QStringLiteral("redo"));
    redoButton->setDefaultAction(redoAction);

    auto* playing = new QHBoxLayout;
    playing->addWidget(button("Play Selection", "playSelection", [this] { playSelection(); }));
    playing->addWidget(button("Play From Here", "playFrom", [this] { playFromSelected(); }));
    playing->addStretch(1);
    playing->addWidget(undoButton);
    playing->addWidget(redoButton);
    revert_ = button(
        "Revert to Recorded", "revert", [this] { revertToRecorded(); }, false);
    playing->addWidget(revert_);

    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("editError"));
    error_->setWordWrap(true);
    TextStyle::caption(*error_);
    QPalette orange = error_->palette();
    orange.setColor(QPalette::WindowText, kErrorColor);
    error_->setPalette(orange);
    error_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addLayout(flagRow);
    layout->addWidget(table_, 1);
    layout->addLayout(edits);
    layout->addLayout(times);
    layout->addLayout(playing);
    layout->addWidget(error_);

    const auto tableKey = [this](QKeySequence keys, auto&& action) {
        auto* shortcut = new QShortcut(keys, table_);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    tableKey(QKeySequence(Qt::Key_Delete), [this] { deleteSelection(); });
    tableKey(QKeySequence(Qt::Key_Backspace), [this] { deleteSelection(); });
    tableKey(QKeySequence::Copy, [this] { copySelection(); });
    tableKey(QKeySequence(Qt::ALT | Qt::Key_Right), [this] { nudgeGap(1); });
    tableKey(QKeySequence(Qt::ALT | Qt::Key_Left), [this] { nudgeGap(-1); });

    connect(removeFlagged_, &QPushButton::clicked, this, &EventEditor::removeFlagged);
    connect(model_, &EventTableModel::gapEdited, this, [this](std::size_t event, std::uint64_t nanos) {
        // After the view's edit ends: the edit resets the model the editor still writes to.
        QMetaObject::invokeMethod(
            this, [this, event, nanos] { setGap(event, nanos); }, Qt::QueuedConnection);
    });
    connect(model_, &EventTableModel::clickMoved, this, [this](std::size_t event, double x, double y) {
        QMetaObject::invokeMethod(
            this, [this, event, x, y] { moveClick(event, x, y); }, Qt::QueuedConnection);
    });
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!(model_->flags(index) & Qt::ItemIsEditable)) model_->toggleRun(index.row());
    });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!syncing_) showSelectionOnStrip();
        showButtons();
    });
    connect(&strip_, &ActivityStrip::rangeSelected, this, [this](quint64 from, quint64 to) { selectTime(from, to); });
    refresh();
}

void EventEditor::refresh() {
    const auto kept = selectedRange();
    syncing_ = true;
    model_->setEvents(draft_().events, draft_().settings.containsSensitiveInput);
    syncing_ = false;
    if (kept && !model_->events().empty()) {
        const std::size_t last = model_->events().size() - 1;
        selectEvents(std::min(kept->first, last), std::min(kept->second, last));
    } else {
        strip_.setSelection(std::nullopt);
    }
    showFlags();
    showButtons();
}

std::optional<std::pair<std::size_t, std::size_t>> EventEditor::selectedRange() const {
    if (!table_->selectionModel()) return std::nullopt;
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return std::nullopt;
    int first = rows.front().row(), last = first;
    for (const QModelIndex& index : rows) {
        first = std::min(first, index.row());
        last = std::max(last, index.row());
    }
    return std::pair{model_->rowAt(first).first, model_->rowAt(last).last};
}

void EventEditor::selectEvents(std::size_t first, std::size_t last) {
    const int firstRow = model_->rowOf(first), lastRow = model_->rowOf(last);
    if (firstRow < 0 || lastRow < 0) return;
    const QItemSelection rows(model_->index(firstRow, 0), model_->index(lastRow, EventTableModel::columnTotal - 1));
    table_->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    table_->selectionModel()->setCurrentIndex(model_->index(firstRow, 0), QItemSelectionModel::NoUpdate);
    table_->scrollTo(model_->index(firstRow, 0));
}

void EventEditor::selectTime(std::uint64_t fromNanos, std::uint64_t toNanos) {
    const std::vector<RecordingEvent>& events = model_->events();
    if (events.empty()) return;
    const auto byTime = [](const RecordingEvent& event, std::uint64_t t) { return event.timestamp() < t; };
    const auto begin = std::lower_bound(events.begin(), events.end(), fromNanos, byTime);
    auto end = std::lower_bound(begin, events.end(), toNanos + 1, byTime);
    std::size_t first = static_cast<std::size_t>(begin - events.begin());
    std::size_t last = static_cast<std::size_t>(end - events.begin());
    if (last == first) {
        // A click (or a stretch without events): the event under it, else the next one.
        if (first > 0 && (first == events.size() || events[first - 1].endTimestamp() >= fromNanos)) --first;
        first = std::min(first, events.size() - 1);
        last = first;
    } else {
        --last;
    }
    syncing_ = true;
    selectEvents(first, last);
    syncing_ = false;
    strip_.setSelection(std::pair{fromNanos, toNanos});
}

void EventEditor::showSelectionOnStrip() {
    const auto range = selectedRange();
    if (!range) {
        strip_.setSelection(std::nullopt);
        return;
    }
    const std::vector<RecordingEvent>& events = model_->events();
    std::uint64_t end = 0;
    for (std::size_t i = range->first; i <= range->second; ++i) end = std::max(end, events[i].endTimestamp());
    strip_.setSelection(std::pair{events[range->first].timestamp(), end});
}

void EventEditor::showFlags() {
    const std::size_t count = model_->flagged().size();
    flags_->setText(count == 0 ? QString()
                               : counted("1 event looks unwanted: a key or button never released (usually the stop "
                                         "shortcut's) or released without a press.",
                                         "%1 events look unwanted: keys or buttons never released (usually the stop "
                                         "shortcut's) or released without a press.",
                                         count));
    flags_->setVisible(count > 0);
    removeFlagged_->setVisible(count > 0);
}

void EventEditor::showButtons() {
    const bool selected = selectedRange().has_value();
    for (QPushButton* b : selectionButtons_) b->setEnabled(selected);
    revert_->setEnabled(draft_().isEdited());
}

QString EventEditor::lastError() const { return error_->isHidden() ? QString() : error_->text(); }

void EventEditor::perform(const QString& text, const std::function<void(Recording&)>& edit, int mergeId,
                          std::size_t mergeKey) {
    const Recording& current = draft_();
    Recording edited = current;
    try {
        edit(edited);
        EventEdits::check(current.recordedEvents.value_or(current.events), edited.events);
    } catch (const EventEditError& error) {
        error_->setText(UiText::of(error.what()));
        error_->show();
        return;
    }
    error_->hide();
    if (edited.events == current.events && edited.recordedEvents == current.recordedEvents &&
        edited.trim == current.trim) {
        return;
    }
    undo_->push(new EditCommand(
        text, EventState::of(current), EventState::of(std::move(edited)),
        [this](const EventState& state) { commit_(state.events, state.recordedEvents, state.trim); }, mergeId,
        mergeKey));
}

void EventEditor::deleteSelection() {
    const auto range = selectedRange();
    if (!range) return;
    std::vector<std::size_t> indices;
    for (std::size_t i = range->first; i <= range->second; ++i) indices.push_back(i);
    const std::size_t count = EventEdits::withPartners(model_->events(), indices).size();
    perform(counted("Delete Event", "Delete %1 Events", count),
            [&](Recording& r) { EventEdits::deleteEvents(r, indices); });
}

void EventEditor::cutSelection() {
    const auto range = selectedRange();
    if (!range) return;
    std::vector<std::size_t> indices;
    for (std::size_t i = range->first; i <= range->second; ++i) indices.push_back(i);
    const std::size_t count = EventEdits::withPartners(model_->events(), indices).size();
    perform(counted("Cut Event", "Cut %1 Events", count),
            [&](Recording& r) { EventEdits::cutRange(r, range->first, range->second); });
}

void EventEditor::speedSelection(double factor) {
    const auto range = selectedRange();
    if (!range) return;
    const std::size_t count = range->second - range->first + 1;
    perform(factor >= 1 ? counted("Speed Up Event", "Speed Up %1 Events", count)
                        : counted("Slow Down Event", "Slow Down %1 Events", count),
            [&](Recording& r) { EventEdits::speedRange(r, range->first, range->second, factor); });
}

void EventEditor::capPauses(std::uint64_t maxNanos) {
    const auto range = selectedRange();
    if (!range) return;
    perform(UiText::tr("Cap Pauses"),
            [&](Recording& r) { EventEdits::capPauses(r, range->first, range->second, maxNanos); });
}

void EventEditor::straightenSelection() {
    const auto range = selectedRange();
    if (!range) return;
    perform(UiText::tr("Straighten Paths"),
            [&](Recording& r) { EventEdits::straightenPaths(r, range->first, range->second); });
}

void EventEditor::insertWait(std::uint64_t nanos) {
    const auto range = selectedRange();
    if (!range) return;
    perform(UiText::tr("Insert Wait"), [&](Recording& r) { EventEdits::insertWaitAfter(r, range->second, nanos); });
}

void EventEditor::setGap(std::size_t eventIndex, std::uint64_t nanos) {
    perform(UiText::tr("Change Gap"), [&](Recording& r) { EventEdits::setGap(r, eventIndex, nanos); });
}

void EventEditor::moveClick(std::size_t eventIndex, double x, double y) {
    perform(UiText::tr("Move Click"), [&](Recording& r) { EventEdits::moveClick(r, eventIndex, x, y); });
}

void EventEditor::nudgeGap(int direction) {
    const auto range = selectedRange();
    if (!range) return;
    const std::size_t event = range->first;
    const std::uint64_t gap = EventEdits::gapBefore(model_->events(), event);
    const std::uint64_t nudged = direction > 0 ? gap + nudgeNanos : gap - std::min(gap, nudgeNanos);
    perform(
        UiText::tr("Change Gap"), [&](Recording& r) { EventEdits::setGap(r, event, nudged); }, kNudgeMergeId, event);
}

void EventEditor::removeFlagged() {
    const std::vector<std::size_t> flagged(model_->flagged().begin(), model_->flagged().end());
    if (flagged.empty()) return;
    perform(counted("Remove Unwanted Event", "Remove %1 Unwanted Events", flagged.size()),
            [&](Recording& r) { EventEdits::deleteEvents(r, flagged); });
}

void EventEditor::revertToRecorded() {
    if (!draft_().isEdited()) return;
    perform(UiText::tr("Revert to Recorded"), [](Recording& r) { EventEdits::revert(r); });
}

void EventEditor::playSelection() {
    const auto range = selectedRange();
    if (!range) return;
    Recording part = draft_();
    part.events = EventEdits::excerpt(part.events, range->first, range->second);
    part.recordedEvents.reset();
    part.trim = TrimRange{};
    play_(std::move(part));
}

void EventEditor::playFromSelected() {
    const auto range = selectedRange();
    if (!range) return;
    Recording part = draft_();
    part.events = EventEdits::excerpt(part.events, range->first, part.events.size() - 1);
    part.recordedEvents.reset();
    part.trim = TrimRange{};
    play_(std::move(part));
}

void EventEditor::copySelection() {
    if (!table_->selectionModel()) return;
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    QApplication::clipboard()->setText(model_->copyText(rows));
}

}  // namespace brevanor
