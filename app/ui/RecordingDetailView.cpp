#include "app/ui/RecordingDetailView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/control/AppCoordinator.h"
#include "app/control/MessageText.h"
#include "app/ui/ActivityStrip.h"
#include "app/ui/EventEditor.h"
#include "app/ui/HotkeyRecorderView.h"
#include "app/ui/PlaybackSettingsControls.h"
#include "app/ui/SymbolIconEngine.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"
#include "base/dispatch/MainQueue.h"
#include "core/model/DurationText.h"
#include "core/model/PositionsText.h"
#include "core/model/TrimEngine.h"

namespace brevanor {

namespace {

constexpr int kFactLabelWidth = 80;
const QColor kOrange(255, 149, 0);

QGroupBox* groupBox(const char* title, QLayout* content, QWidget* parent) {
    auto* box = new QGroupBox(UiText::tr(title), parent);
    box->setLayout(content);
    return box;
}

QString seconds(std::uint64_t nanos) { return QString::asprintf("%.1f s", static_cast<double>(nanos) / 1e9); }

// "1920×1080 @2x, 1512×982 @2x": each number truncated to a whole one.
std::string displaysText(const std::vector<DisplayInfo>& displays) {
    std::string text;
    for (const DisplayInfo& display : displays) {
        if (!text.empty()) text += ", ";
        text += std::to_string(static_cast<long long>(display.frame.width)) + "×" +
                std::to_string(static_cast<long long>(display.frame.height)) + " @" +
                std::to_string(static_cast<long long>(display.scale)) + "x";
    }
    return text;
}

}  // namespace

RecordingDetailView::RecordingDetailView(AppCoordinator& coordinator, std::shared_ptr<MainQueue> mainQueue,
                                         Recording recording, DateText dates, QWidget* parent)
    : QScrollArea(parent),
      coordinator_(coordinator),
      mainQueue_(std::move(mainQueue)),
      dates_(std::move(dates)),
      draft_(std::move(recording)) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(14);

    column->addWidget(makeHeader());
    playback_ = new PlaybackSettingsControls(content);
    playback_->setSettings(draft_.settings);
    auto* playbackLayout = new QVBoxLayout;
    playbackLayout->setContentsMargins(4, 4, 4, 4);
    playbackLayout->addWidget(playback_);
    column->addWidget(groupBox("Playback", playbackLayout, content));
    column->addWidget(makeShortcutBox());
    column->addWidget(makeNotesBox());
    column->addWidget(makePrivacyBox());
    column->addWidget(makeRecordingBox());
    column->addWidget(makeEventsBox());
    column->addWidget(makeActionRow());
    column->addStretch(1);
    setWidget(content);

    connect(playback_, &PlaybackSettingsControls::settingsChanged, this, [this] {
        // The grid edits only the playback fields; the rest of the settings stay the draft's.
        const RecordingSettings& shown = playback_->settings();
        edit([&shown](Recording& recording) {
            RecordingSettings& settings = recording.settings;
            settings.speed = shown.speed;
            settings.repeatCount = shown.repeatCount;
            settings.repeatInfinite = shown.repeatInfinite;
            settings.delayBetweenRepeatsSec = shown.delayBetweenRepeatsSec;
            settings.cursorMode = shown.cursorMode;
            settings.extraDelayBeforeClickMs = shown.extraDelayBeforeClickMs;
        });
    });
    connect(&coordinator_, &AppCoordinator::stateChanged, this, &RecordingDetailView::showState);
    // Other recordings' shortcuts may have changed with the list.
    connect(&coordinator_, &AppCoordinator::recordingsChanged, this, &RecordingDetailView::showConflicts);
    showState();
    showConflicts();
    showTrim();
}

QWidget* RecordingDetailView::makeHeader() {
    auto* header = new QWidget(this);
    auto* name = new QLineEdit(UiText::of(draft_.name), header);
    name->setObjectName(QStringLiteral("name"));
    name->setPlaceholderText(UiText::tr("Name"));
    QFont title = name->font();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    name->setFont(title);
    play_ =
        new QPushButton(SymbolIconEngine::icon(SymbolIconEngine::Symbol::play, palette().color(QPalette::ButtonText)),
                        UiText::tr("Play"), header);
    // Control + Return here is Command + Return on macOS, where Qt swaps the two. A
    // shortcut of its own plays at once; the button's would first animate a press.
    const QKeySequence playKeys(Qt::CTRL | Qt::Key_Return);
    play_->setToolTip(playKeys.toString(QKeySequence::NativeText));
    connect(new QShortcut(playKeys, this), &QShortcut::activated, this, &RecordingDetailView::play);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(name, 1);
    layout->addWidget(play_);

    connect(name, &QLineEdit::textEdited, this,
            [this](const QString& text) { edit([&text](Recording& r) { r.name = text.toStdString(); }); });
    connect(play_, &QPushButton::clicked, this, &RecordingDetailView::play);
    return header;
}

QWidget* RecordingDetailView::makeShortcutBox() {
    auto* layout = new QVBoxLayout;
    layout->setSpacing(6);
    auto* field = new HotkeyRecorderView(coordinator_, true, this);
    field->setChord(draft_.settings.playHotkey);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(UiText::tr("Play this recording with"), this));
    row->addWidget(field, 1);
    layout->addLayout(row);
    conflicts_ = new QVBoxLayout;
    conflicts_->setSpacing(2);
    layout->addLayout(conflicts_);
    connect(field, &HotkeyRecorderView::chordEdited, this, [this](std::optional<HotkeyChord> chord) {
        edit([chord](Recording& r) { r.settings.playHotkey = chord; });
    });
    return groupBox("Shortcut", layout, this);
}

QWidget* RecordingDetailView::makeNotesBox() {
    auto* notes = new QPlainTextEdit(UiText::of(draft_.settings.notes), this);
    notes->setObjectName(QStringLiteral("notes"));
    notes->setMinimumHeight(64);
    notes->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout;
    layout->addWidget(notes);
    connect(notes, &QPlainTextEdit::textChanged, this,
            [this, notes] { edit([notes](Recording& r) { r.settings.notes = notes->toPlainText().toStdString(); }); });
    return groupBox("Notes", layout, this);
}

QWidget* RecordingDetailView::makePrivacyBox() {
    auto* sensitive = new QCheckBox(UiText::tr("Contains sensitive input (passwords, personal data)"), this);
    sensitive->setObjectName(QStringLiteral("sensitive"));
    sensitive->setChecked(draft_.settings.containsSensitiveInput);
    auto* note = new QLabel(UiText::tr("Keystrokes are stored as plain text in the recording file. Marking a "
                                       "recording sensitive disables export."),
                            this);
    note->setWordWrap(true);
    TextStyle::caption(*note);
    TextStyle::secondary(*note);
    auto* layout = new QVBoxLayout;
    layout->setSpacing(4);
    layout->addWidget(sensitive);
    layout->addWidget(note);
    connect(sensitive, &QCheckBox::toggled, this,
            [this](bool on) { edit([on](Recording& r) { r.settings.containsSensitiveInput = on; }); });
    return groupBox("Privacy", layout, this);
}

QWidget* RecordingDetailView::makeRecordingBox() {
    auto* facts = new QGridLayout;
    facts->setHorizontalSpacing(8);
    facts->setVerticalSpacing(4);
    facts->setColumnMinimumWidth(0, kFactLabelWidth);
    facts->setColumnStretch(1, 1);
    const auto addFact = [this, facts](const char* label, const QString& value) {
        const int row = facts->rowCount();
        auto* name = new QLabel(UiText::tr(label), this);
        name->setAlignment(Qt::AlignRight | Qt::AlignTop);
        TextStyle::secondary(*name);
        auto* text = new QLabel(value, this);
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        TextStyle::callout(*text);
        facts->addWidget(name, row, 0, Qt::AlignRight | Qt::AlignBaseline);
        facts->addWidget(text, row, 1, Qt::AlignBaseline);
        return text;
    };
    const EnvironmentSnapshot& environment = draft_.environment;
    addFact("Recorded", UiText::of(dates_.format(draft_.createdAt)));
    duration_ = addFact("Duration", QString());
    eventCount_ = addFact("Events", QString::number(draft_.eventCount()));
    if (const auto& app = environment.frontmostApp) {
        addFact("App", UiText::of(app->name ? *app->name : app->bundleID ? *app->bundleID : std::string("–")));
        if (app->windowTitle && !app->windowTitle->empty()) addFact("Window", UiText::of(*app->windowTitle));
    }
    if (!environment.displays.empty()) addFact("Displays", UiText::of(displaysText(environment.displays)));
    if (environment.keyboardInputSourceID) addFact("Keyboard", UiText::of(*environment.keyboardInputSourceID));
    if (environment.relativePositions) addFact("Positions", UiText::of(PositionsText::relativeFact()));
    lastReplay_ = addFact("Last replay", QString());
    lastReplayName_ = facts->itemAtPosition(facts->rowCount() - 1, 0)->widget();

    activity_ = new ActivityStrip(this);
    trimText_ = new QLabel(this);
    trimText_->setWordWrap(true);
    TextStyle::caption(*trimText_);
    TextStyle::secondary(*trimText_);
    trimButton_ = new QPushButton(this);
    trimButton_->setObjectName(QStringLiteral("trim"));
    TextStyle::caption(*trimButton_);
    auto* trimLine = new QHBoxLayout;
    trimLine->addWidget(trimText_, 1);
    trimLine->addWidget(trimButton_);

    auto* layout = new QVBoxLayout;
    layout->setSpacing(4);
    layout->addLayout(facts);
    layout->addSpacing(6);
    layout->addWidget(activity_);
    layout->addLayout(trimLine);
    connect(trimButton_, &QPushButton::clicked, this, [this] {
        edit([](Recording& r) {
            if (r.canUndoTrim()) {
                r.undoTrim();
            } else {
                r.applyAutomaticTrim();
            }
        });
    });
    return groupBox("Recording", layout, this);
}

QWidget* RecordingDetailView::makeEventsBox() {
    events_ = new EventEditor(
        [this]() -> const Recording& { return draft_; },
        [this](std::vector<RecordingEvent> events, std::optional<std::vector<RecordingEvent>> recordedEvents,
               TrimRange trim) { replaceEvents(std::move(events), std::move(recordedEvents), trim); },
        [this](Recording part) {
            if (!coordinator_.state().isIdle()) return;
            flush();
            coordinator_.play(std::move(part));
        },
        [this](std::uint16_t keyCode) {
            return coordinator_.shortcutText(HotkeyChord{keyCode, 0});
        },
        *activity_, this);
    auto* layout = new QVBoxLayout;
    layout->addWidget(events_);
    return groupBox("Events", layout, this);
}

QWidget* RecordingDetailView::makeActionRow() {
    auto* row = new QWidget(this);
    auto* duplicate = new QPushButton(UiText::tr("Duplicate"), row);
    auto* exportFile = new QPushButton(UiText::tr("Export…"), row);
    auto* remove = new QPushButton(UiText::tr("Delete…"), row);
    QPalette destructive = remove->palette();
    destructive.setColor(QPalette::ButtonText, QColor(215, 0, 21));
    remove->setPalette(destructive);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(duplicate);
    layout->addWidget(exportFile);
    layout->addStretch(1);
    layout->addWidget(remove);

    connect(duplicate, &QPushButton::clicked, this, [this] {
        flush();
        coordinator_.duplicate(draft_);
    });
    connect(exportFile, &QPushButton::clicked, this, [this] {
        flush();
        coordinator_.exportRecording(draft_);
    });
    connect(remove, &QPushButton::clicked, this, &RecordingDetailView::confirmDelete);
    return row;
}

void RecordingDetailView::edit(const std::function<void(Recording&)>& change) {
    Recording changed = draft_;
    change(changed);
    if (changed == draft_) return;
    const bool trimChanged = changed.trim != draft_.trim;
    const bool shortcutChanged = changed.settings.playHotkey != draft_.settings.playHotkey;
    const bool eventsChanged = changed.events != draft_.events || changed.recordedEvents != draft_.recordedEvents ||
                               changed.settings.containsSensitiveInput != draft_.settings.containsSensitiveInput;
    draft_ = std::move(changed);
    if (eventsChanged) {
        showEvents();
    } else if (trimChanged) {
        showTrim();
    }
    if (shortcutChanged) showConflicts();
    scheduleSave();
}

void RecordingDetailView::replaceEvents(std::vector<RecordingEvent> events,
                                        std::optional<std::vector<RecordingEvent>> recordedEvents, TrimRange trim) {
    draft_.events = std::move(events);
    draft_.recordedEvents = std::move(recordedEvents);
    draft_.trim = trim;
    showEvents();
    scheduleSave();
}

void RecordingDetailView::showEvents() {
    showTrim();
    eventCount_->setText(QString::number(draft_.eventCount()));
    events_->refresh();
}

void RecordingDetailView::scheduleSave() {
    if (isDeleted_) return;
    pendingSave_ = true;
    const std::uint64_t generation = ++saveGeneration_;
    mainQueue_->postAfter(autosaveDelayNanos, [self = QPointer<RecordingDetailView>(this), generation] {
        if (self && self->saveGeneration_ == generation) self->flush();
    });
}

void RecordingDetailView::flush() {
    if (!pendingSave_ || isDeleted_) return;
    pendingSave_ = false;
    ++saveGeneration_;
    coordinator_.save(draft_);
}

void RecordingDetailView::discard() {
    isDeleted_ = true;
    pendingSave_ = false;
    ++saveGeneration_;
}

void RecordingDetailView::play() {
    if (!play_->isEnabled()) return;
    flush();
    coordinator_.play(draft_);
}

void RecordingDetailView::confirmDelete() {
    auto* confirmation =
        new QMessageBox(QMessageBox::Warning, UiText::of(fillIn(brevanor::tr("Delete “%1”?"), {draft_.name})),
                        UiText::of(fillIn(brevanor::tr("Delete “%1”?"), {draft_.name})), QMessageBox::NoButton, this);
    confirmation->setInformativeText(UiText::tr("This cannot be undone."));
    confirmation->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* remove = confirmation->addButton(UiText::tr("Delete"), QMessageBox::DestructiveRole);
    confirmation->addButton(QMessageBox::Cancel);
    confirmation->setDefaultButton(QMessageBox::Cancel);
    connect(remove, &QPushButton::clicked, this, [this] {
        discard();
        coordinator_.deleteRecording(draft_);
    });
    confirmation->setWindowModality(Qt::WindowModal);
    confirmation->open();
}

void RecordingDetailView::showState() {
    play_->setEnabled(coordinator_.state().isIdle());
    // Each playback is judged by the time it is idle again.
    const auto report = coordinator_.lastReplay(draft_.id);
    lastReplay_->setText(report ? UiText::of(report->summary()) : QString());
    for (QWidget* part : {static_cast<QWidget*>(lastReplay_), lastReplayName_}) part->setVisible(report.has_value());
}

void RecordingDetailView::showConflicts() {
    while (QLayoutItem* item = conflicts_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!draft_.settings.playHotkey) return;
    const std::vector<std::string> conflicts =
        coordinator_.shortcutConflicts(*draft_.settings.playHotkey, draft_.id, std::nullopt);
    for (const std::string& conflict : conflicts) {
        auto* line = new QWidget(this);
        auto* text = new QLabel(UiText::of(conflict), line);
        text->setWordWrap(true);
        TextStyle::caption(*text);
        QPalette orange = text->palette();
        orange.setColor(QPalette::WindowText, kOrange);
        text->setPalette(orange);
        auto* symbol = new QLabel(line);
        const int side = text->fontMetrics().height();
        symbol->setPixmap(SymbolIconEngine::icon(SymbolIconEngine::Symbol::warning, kOrange)
                              .pixmap(QSize(side, side), devicePixelRatioF()));
        auto* layout = new QHBoxLayout(line);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(symbol, 0, Qt::AlignTop);
        layout->addWidget(text, 1);
        conflicts_->addWidget(line);
    }
}

void RecordingDetailView::showTrim() {
    duration_->setText(UiText::of(DurationText::duration(draft_.trimmedDurationNanos())));
    activity_->setRecording(draft_);
    if (draft_.canUndoTrim()) {
        trimText_->setText(UiText::of(fillIn(
            brevanor::tr("Trimmed %1 of leading and %2 of trailing idle time."),
            {seconds(draft_.trim.leadingNanos).toStdString(), seconds(draft_.trim.trailingNanos).toStdString()})));
        trimButton_->setText(UiText::tr("Undo Trim"));
    } else if (TrimEngine::automaticTrim(draft_.events) != TrimRange{}) {
        trimText_->setText(UiText::tr("Leading and trailing idle time is included in playback."));
        trimButton_->setText(UiText::tr("Trim Idle Time"));
    }
    const bool offered = draft_.canUndoTrim() || TrimEngine::automaticTrim(draft_.events) != TrimRange{};
    trimText_->setVisible(offered);
    trimButton_->setVisible(offered);
}

}  // namespace brevanor
