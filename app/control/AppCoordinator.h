#pragma once

#include <QObject>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/control/AppActivation.h"
#include "app/control/AppPrompts.h"
#include "app/control/AppSettings.h"
#include "app/control/AppState.h"
#include "app/control/HotkeyManager.h"
#include "app/control/PreflightDecision.h"
#include "base/platform/PlatformServices.h"
#include "base/time/Clock.h"
#include "core/checks/HotkeyConflicts.h"
#include "core/checks/PermissionTexts.h"
#include "core/checks/Permissions.h"
#include "core/checks/PreflightWarning.h"
#include "core/model/Recording.h"
#include "core/playback/FidelityReport.h"
#include "core/store/SkippedDocument.h"

namespace brevanor {
class EventRecorder;
class InputEventTap;
class LibraryOperations;
class PlaybackController;
class RecordingController;
class RecordingStore;

// The library as the store lists it, newest first. Entries are shared, immutable snapshots.
using RecordingList = std::vector<std::shared_ptr<const Recording>>;

// The one object that owns the application's run-time state and carries out
// every user-level command: record, play, stop, react to global shortcuts, and
// change the library. The user interface reads its published fields (each with
// a change signal) and calls its operations; every error ends here, as one
// sentence in errorMessage. Main thread only; everything it is told from other
// threads arrives through the main queue.
class AppCoordinator : public QObject {
    Q_OBJECT
    Q_PROPERTY(brevanor::AppState state READ state NOTIFY stateChanged)
    Q_PROPERTY(brevanor::RecordingList recordings READ recordings NOTIFY recordingsChanged)
    Q_PROPERTY(bool accessibilityGranted READ accessibilityGranted NOTIFY accessibilityGrantedChanged)
    Q_PROPERTY(bool inputMonitoringGranted READ inputMonitoringGranted NOTIFY inputMonitoringGrantedChanged)
    Q_PROPERTY(bool secureInputActive READ secureInputActive NOTIFY secureInputActiveChanged)
    Q_PROPERTY(quint64 elapsedNanos READ elapsedNanos NOTIFY elapsedNanosChanged)
    Q_PROPERTY(qint64 recordedEventCount READ recordedEventCount NOTIFY recordedEventCountChanged)
    Q_PROPERTY(std::optional<std::string> playbackNotice READ playbackNotice NOTIFY playbackNoticeChanged)
    Q_PROPERTY(std::optional<std::string> errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(bool isCapturingHotkey READ isCapturingHotkey WRITE setCapturingHotkey NOTIFY isCapturingHotkeyChanged)
    Q_PROPERTY(bool waitingForRelease READ waitingForRelease NOTIFY waitingForReleaseChanged)

public:
    // What the coordinator works with besides the settings and the store.
    struct Services {
        PlatformServices platform;
        std::shared_ptr<InputEventTap> tap;  // the process-wide listener
        std::shared_ptr<MainQueue> mainQueue;
        std::shared_ptr<AppPrompts> prompts;
        std::shared_ptr<AppActivation> activation;
        Clock now;  // MonotonicClock::now when empty
        std::uint64_t escHoldNanos = HotkeyManager::defaultEscHoldNanos;
    };

    static constexpr std::uint64_t hotkeyRegistrationDelayNanos = 50'000'000;
    // A shortcut key that playback pressed this recently is playback's own keystroke.
    static constexpr std::uint64_t ownKeystrokeWindowNanos = 150'000'000;

    // Lists the library, reads the permissions, starts the listener when Input
    // Monitoring is granted and registers the shortcuts. `settings` must outlive it.
    AppCoordinator(AppSettings& settings, std::shared_ptr<RecordingStore> store, Services services,
                   QObject* parent = nullptr);
    ~AppCoordinator() override;

    // Published state.
    const AppState& state() const { return state_; }
    const RecordingList& recordings() const { return recordings_; }
    bool accessibilityGranted() const { return accessibilityGranted_; }
    bool inputMonitoringGranted() const { return inputMonitoringGranted_; }
    bool secureInputActive() const { return secureInputActive_; }
    // Since the recording began, or the playback's progress.
    std::uint64_t elapsedNanos() const { return elapsedNanos_; }
    std::int64_t recordedEventCount() const { return recordedEventCount_; }
    // Why the recorded window was not put back, for the status pill.
    const std::optional<std::string>& playbackNotice() const { return playbackNotice_; }
    // The last error for the user, shown by the library window's banner.
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    // A shortcut field waits for a key: every global shortcut is off meanwhile.
    bool isCapturingHotkey() const { return isCapturingHotkey_; }
    void setCapturingHotkey(bool capturing);
    // A confirmed playback waits (in `preparing`) for the user to let go of every
    // key and button before its first event, at most ReleaseWait::maxWaitNanos.
    bool waitingForRelease() const { return waitingForRelease_; }
    // The banner's dismiss button.
    void clearErrorMessage();

    // Set at start-up: show the library, the settings and the onboarding window.
    std::function<void()> openLibrary;
    std::function<void()> openSettings;
    std::function<void()> openOnboarding;

    // A trigger (time and key code of the shortcut press) is present when a
    // shortcut caused the call, absent for menu items and buttons.
    void toggleRecording(std::optional<std::uint64_t> triggerTime = std::nullopt,
                         std::optional<std::uint16_t> triggerKeyCode = std::nullopt);
    void stop(std::optional<std::uint64_t> triggerTime = std::nullopt,
              std::optional<std::uint16_t> triggerKeyCode = std::nullopt);
    void play(Recording recording);
    void refreshPermissions();
    // At termination: cancels a countdown, saves a recording in progress, stops a
    // playback, unregisters every shortcut and stops the listener.
    void shutdown();
    void handleHotkeyAction(const HotkeyAction& action, std::uint64_t time, std::uint16_t keyCode);

    // The newest recording; null when the library is empty.
    std::shared_ptr<const Recording> lastRecording() const;
    // "Stop: <stop shortcut> or hold <Esc>", for the status pill.
    std::string stopHint() const;
    // A shortcut as the user reads it on the current keyboard layout (Ctrl+Alt+Super+R, ⌃⌥⌘R on the Mac).
    std::string shortcutText(const HotkeyChord& chord) const;
    // The chord a key press in one of the application's windows forms, as the
    // global shortcuts read it (for the shortcut field); see HotKeyService.
    std::optional<HotkeyChord> chordOfKeyEvent(std::uint32_t nativeKeyCode, std::uint32_t nativeModifiers) const;
    // What is missing for recording, or nothing when both permissions are granted.
    std::optional<std::string> permissionMessage() const;
    // The permissions and shortcuts as the running backend names them.
    const PermissionTexts& permissionTexts() const { return permissionTexts_; }
    // How faithfully `recording` played the last time, since start-up (see PlaybackController::fidelity()).
    std::optional<FidelityReport> lastReplay(const Uuid& recording) const;
    // Recordings made here keep the mouse's movements, not places on the screen.
    bool recordsRelativePositions() const { return !services_.platform.inputSource->reportsScreenPositions(); }

    // Library operations: each goes to the store at once, reports a failure in
    // errorMessage and lists the library again after a success. save() writes an
    // edited recording of the library; one deleted meanwhile stays deleted.
    void save(const Recording& recording);
    void deleteRecording(const Recording& recording);
    void duplicate(const Recording& recording);
    void exportRecording(const Recording& recording);
    // Files ending in .macro or .json (any case); others are passed over silently.
    void importFiles(const std::vector<std::filesystem::path>& files);
    // Registers the three shortcuts and every recording's own; reports refusals.
    void registerHotkeys();
    // The shortcuts taken, named as the user knows them, for conflict checks.
    std::vector<HotkeyConflicts::Binding> shortcutsInUse(std::optional<Uuid> excludingRecording,
                                                         std::optional<HotkeyAction::Kind> excludingAction) const;
    // Why `chord` may not work as hoped, one sentence each (HotkeyConflicts), against
    // shortcutsInUse() and with keys named on the current keyboard layout.
    std::vector<std::string> shortcutConflicts(const HotkeyChord& chord, std::optional<Uuid> excludingRecording,
                                               std::optional<HotkeyAction::Kind> excludingAction) const;

signals:
    void stateChanged();
    void recordingsChanged();
    void accessibilityGrantedChanged();
    void inputMonitoringGrantedChanged();
    void secureInputActiveChanged();
    void elapsedNanosChanged();
    void recordedEventCountChanged();
    void playbackNoticeChanged();
    void errorMessageChanged();
    void isCapturingHotkeyChanged();
    void waitingForReleaseChanged();

private:
    template <typename T>
    void publish(T& field, T value, void (AppCoordinator::*notify)());

    void setState(AppState state);
    // Hides the application's windows while the user works in them, before a recording or a playback.
    void getOutOfTheWay();
    void setErrorMessage(std::optional<std::string> message);
    void showLibrary() {
        if (openLibrary) openLibrary();
    }

    void requestRecording(std::optional<std::uint16_t> triggerKeyCode);
    // Publishes the recording controller's phase and counters as the state.
    void recordingChanged();
    void stopRecording(std::optional<std::uint64_t> cutoff, std::optional<std::uint16_t> stopKeyCode);

    // Publishes the playback controller's phase, progress and notice as the state.
    void playbackChanged();

    // A new recording is added to the library, an edited one replaces its
    // document; answers whether the store took it.
    bool writeToLibrary(const Recording& recording, bool isNew);
    // Runs a change of the library and shows the library afterwards, or says
    // why it failed; answers whether it was made.
    bool changeLibrary(const std::function<void(LibraryOperations&)>& change);
    void reloadLibrary();
    void scheduleHotkeyRegistration();

    AppSettings& settings_;
    const std::shared_ptr<RecordingStore> store_;
    const Services services_;
    const Clock now_;
    const Permissions permissions_;
    const PermissionTexts permissionTexts_;
    std::shared_ptr<HotkeyManager> hotkeys_;
    std::shared_ptr<EventRecorder> recorder_;
    std::shared_ptr<PlaybackController> playback_;
    std::shared_ptr<RecordingController> recording_;

    AppState state_ = AppState::idle();
    RecordingList recordings_;
    bool accessibilityGranted_ = false;
    bool inputMonitoringGranted_ = false;
    bool secureInputActive_ = false;
    std::uint64_t elapsedNanos_ = 0;
    std::int64_t recordedEventCount_ = 0;
    std::optional<std::string> playbackNotice_;
    std::optional<std::string> errorMessage_;
    std::vector<SkippedDocument> skippedDocuments_;  // last told in errorMessage
    bool isCapturingHotkey_ = false;
    bool hidWindows_ = false;  // by getOutOfTheWay(), until idle again
    bool waitingForRelease_ = false;

    // Main-queue timers cannot be taken back: each pending tick carries the
    // generation it was armed under and does nothing once that has moved on.
    std::uint64_t registrationGeneration_ = 0;
};

}  // namespace brevanor
