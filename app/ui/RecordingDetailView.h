#pragma once

#include <QScrollArea>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/model/DateText.h"
#include "core/model/Recording.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace brevanor {

class ActivityStrip;
class AppCoordinator;
class EventEditor;
class MainQueue;
class PlaybackSettingsControls;

// The editor of one recording: its name, playback settings, play shortcut,
// notes, sensitive-input mark and trim, what was captured with it, and play,
// duplicate, export and delete. Edits go to a working copy that is saved half
// a second after the last change, and at once before playing, duplicating or
// exporting it and when the editor goes away (flush()). A recording deleted
// from here is never written back.
class RecordingDetailView : public QScrollArea {
    Q_OBJECT

public:
    static constexpr std::uint64_t autosaveDelayNanos = 500'000'000;

    // `mainQueue` times the autosave.
    RecordingDetailView(AppCoordinator& coordinator, std::shared_ptr<MainQueue> mainQueue, Recording recording,
                        DateText dates = DateText(), QWidget* parent = nullptr);

    // The working copy.
    const Recording& draft() const { return draft_; }
    // The event list with its edits.
    EventEditor& events() { return *events_; }
    ActivityStrip& activityStrip() { return *activity_; }
    // Saves a pending change at once; does nothing when none is pending or the
    // recording was deleted.
    void flush();
    // The recording is gone: nothing of this editor is saved any more.
    void discard();

private:
    QWidget* makeHeader();
    QWidget* makeShortcutBox();
    QWidget* makeNotesBox();
    QWidget* makePrivacyBox();
    QWidget* makeRecordingBox();
    QWidget* makeEventsBox();
    QWidget* makeActionRow();

    void edit(const std::function<void(Recording&)>& change);
    // The event list's edits: the events, recorded events and trim replaced at once, without comparing copies.
    void replaceEvents(std::vector<RecordingEvent> events, std::optional<std::vector<RecordingEvent>> recordedEvents,
                       TrimRange trim);
    void showEvents();
    void scheduleSave();
    void play();
    void confirmDelete();
    void showState();
    void showConflicts();
    void showTrim();

    AppCoordinator& coordinator_;
    std::shared_ptr<MainQueue> mainQueue_;
    DateText dates_;
    Recording draft_;
    bool pendingSave_ = false;
    bool isDeleted_ = false;
    // Scheduled saves cannot be taken back: each carries the number it was
    // scheduled under and does nothing once a later change or a flush moved on.
    std::uint64_t saveGeneration_ = 0;

    QPushButton* play_;
    PlaybackSettingsControls* playback_;
    QVBoxLayout* conflicts_;
    QLabel* duration_;
    QLabel* eventCount_;
    QLabel* lastReplay_;  // how faithfully the last playback came out, with its name beside it
    QWidget* lastReplayName_;
    EventEditor* events_;
    ActivityStrip* activity_;
    QLabel* trimText_;
    QPushButton* trimButton_;
};

}  // namespace brevanor
