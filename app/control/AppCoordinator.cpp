#include "app/control/AppCoordinator.h"

#include <QPointer>
#include <algorithm>
#include <chrono>
#include <exception>

#include "app/control/HotkeyBindings.h"
#include "app/control/MessageText.h"
#include "base/keys/KeyCodeNames.h"
#include "base/text/Localized.h"
#include "base/time/MonotonicClock.h"
#include "core/capture/EnvironmentCapture.h"
#include "core/capture/EventRecorder.h"
#include "core/capture/InputEventTap.h"
#include "core/capture/InputEventTapError.h"
#include "core/control/LibraryOperations.h"
#include "core/control/NewRecording.h"
#include "core/control/PlaybackController.h"
#include "core/control/RecordingController.h"
#include "core/dispatch/SerialQueue.h"
#include "core/playback/PlaybackOptions.h"
#include "core/store/RecordingStore.h"

namespace brevanor {

namespace {

// A new recording the library could not take exists nowhere else: kept in a
// file outside the library instead of lost, and the sentence that says where.
std::string keptOutsideLibrary(const Recording& recording) {
    try {
        const auto file = NewRecording::keepOutsideLibrary(recording, NewRecording::placesOutsideLibrary());
        return fillIn(brevanor::tr(". It is kept in “%1”; open that file with Brevanor to add it to the library."),
                      {file.string()});
    } catch (const std::exception& error) {
        return fillIn(brevanor::tr(", and it could not be kept anywhere else either (%1)."), {error.what()});
    }
}

}  // namespace

AppCoordinator::AppCoordinator(AppSettings& settings, std::shared_ptr<RecordingStore> store, Services services,
                               QObject* parent)
    : QObject(parent),
      settings_(settings),
      store_(std::move(store)),
      services_(std::move(services)),
      now_(services_.now ? services_.now : Clock(MonotonicClock::now)),
      permissions_(services_.platform.permissions),
      permissionTexts_(PermissionTexts::forBackend(services_.platform.backend)),
      accessibilityGranted_(permissions_.accessibilityGranted()),
      inputMonitoringGranted_(permissions_.inputMonitoringGranted()) {
    hotkeys_ =
        HotkeyManager::make(services_.platform.hotKeys, services_.tap, services_.mainQueue, services_.escHoldNanos);
    recorder_ = std::make_shared<EventRecorder>(
        services_.mainQueue, std::make_shared<SerialQueue>("com.brevanor.recorder.secure-input"),
        services_.platform.secureInput,
        [environment = EnvironmentCapture(services_.platform.displays, services_.platform.workspace,
                                          services_.platform.windows, services_.platform.keyboard,
                                          services_.platform.inputSource)] { return environment.capture(); });
    playback_ = PlaybackController::make(services_.platform, services_.mainQueue, now_);
    playback_->judgeBy(services_.tap);
    recording_ = RecordingController::make(services_.tap, services_.mainQueue, recorder_, now_);

    // Every callback holds the coordinator weakly: it does nothing once the coordinator is gone.
    const QPointer<AppCoordinator> self(this);
    recording_->onChange = [self] {
        if (self) self->recordingChanged();
    };
    recorder_->onSecureInputChanged = [self](bool active) {
        if (self) self->publish(self->secureInputActive_, active, &AppCoordinator::secureInputActiveChanged);
    };
    playback_->onChange = [self] {
        if (self) self->playbackChanged();
    };
    // A shortcut that a replay typed, ours or another Brevanor process's, is not the user's.
    hotkeys_->setShouldIgnoreTrigger([injector = services_.platform.injector](std::uint16_t keyCode) {
        return injector->didRecentlyPostKeyDown(keyCode, ownKeystrokeWindowNanos, MonotonicClock::now());
    });
    hotkeys_->setOnAction([self](const HotkeyAction& action, std::uint64_t time, std::uint16_t keyCode) {
        if (self) self->handleHotkeyAction(action, time, keyCode);
    });

    connect(&settings_, &AppSettings::changed, this, &AppCoordinator::scheduleHotkeyRegistration);
    connect(&settings_, &AppSettings::preferencesProblemChanged, this, [this] {
        if (settings_.preferencesProblem()) setErrorMessage(settings_.preferencesProblem());
    });

    reloadLibrary();
    if (const auto& problem = settings_.preferencesProblem()) {
        setErrorMessage(errorMessage_ ? *errorMessage_ + " " + *problem : *problem);
    }
    refreshPermissions();
    registerHotkeys();
}

AppCoordinator::~AppCoordinator() = default;

template <typename T>
void AppCoordinator::publish(T& field, T value, void (AppCoordinator::*notify)()) {
    if (field == value) return;
    field = std::move(value);
    emit(this->*notify)();
}

void AppCoordinator::setState(AppState state) {
    publish(state_, std::move(state), &AppCoordinator::stateChanged);
    // Holding Esc stops a countdown, a recording, a preparation or a playback.
    hotkeys_->setEscHoldEnabled(!state_.isIdle());
    publish(elapsedNanos_, std::uint64_t{0}, &AppCoordinator::elapsedNanosChanged);
    if (state_.isIdle() && hidWindows_) {
        hidWindows_ = false;
        services_.activation->showAgain();
    }
}

void AppCoordinator::getOutOfTheWay() {
    // Only windows the user was working in are hidden; idle brings them back (setState()).
    if (!services_.activation->isActive()) return;
    services_.activation->hide();
    hidWindows_ = true;
}

void AppCoordinator::recordingChanged() {
    const RecordingController& recording = *recording_;
    switch (recording.phase()) {
        case RecordingController::Phase::countdown:
            if (state_.kind() == AppState::Kind::countdown) {
                // Directly, not through setState(): the Esc hold and the counters stay as they are.
                publish(state_, AppState::countdown(recording.remaining()), &AppCoordinator::stateChanged);
            } else {
                setState(AppState::countdown(recording.remaining()));
            }
            break;
        case RecordingController::Phase::recording:
            if (state_.kind() != AppState::Kind::recording) {
                publish(recordedEventCount_, std::int64_t{0}, &AppCoordinator::recordedEventCountChanged);
                setState(AppState::recording());
            } else {
                publish(elapsedNanos_, recording.elapsedNanos(), &AppCoordinator::elapsedNanosChanged);
                publish(recordedEventCount_, recording.eventCount(), &AppCoordinator::recordedEventCountChanged);
            }
            break;
        case RecordingController::Phase::idle:
            if (state_.kind() == AppState::Kind::countdown || state_.kind() == AppState::Kind::recording) {
                setState(AppState::idle());
            }
            break;
    }
}

void AppCoordinator::setErrorMessage(std::optional<std::string> message) {
    publish(errorMessage_, std::move(message), &AppCoordinator::errorMessageChanged);
}

void AppCoordinator::clearErrorMessage() { setErrorMessage(std::nullopt); }

void AppCoordinator::setCapturingHotkey(bool capturing) {
    if (capturing == isCapturingHotkey_) return;
    publish(isCapturingHotkey_, capturing, &AppCoordinator::isCapturingHotkeyChanged);
    // Off while a shortcut field listens, so that it receives the keys; failures
    // when they come back are not reported.
    hotkeys_->setSuspended(capturing);
}

void AppCoordinator::refreshPermissions() {
    publish(accessibilityGranted_, permissions_.accessibilityGranted(), &AppCoordinator::accessibilityGrantedChanged);
    publish(inputMonitoringGranted_, permissions_.inputMonitoringGranted(),
            &AppCoordinator::inputMonitoringGrantedChanged);
    // The hotkey manager needs the listener for the Esc hold and the stop shortcut,
    // so it runs from launch whenever it may. A failure is tried again next time.
    if (inputMonitoringGranted_ && !services_.tap->isRunning()) {
        try {
            services_.tap->start();
        } catch (const InputEventTapError&) {
        }
    }
}

std::optional<std::string> AppCoordinator::permissionMessage() const {
    return permissionTexts_.missingToRecord(accessibilityGranted_, inputMonitoringGranted_);
}

std::string AppCoordinator::stopHint() const {
    return fillIn(brevanor::tr("Stop: %1 or hold %2"),
                  {shortcutText(settings_.stopHotkey()), KeyCodeNames::name(HotkeyChord::escapeKeyCode, nullptr)});
}

std::string AppCoordinator::shortcutText(const HotkeyChord& chord) const {
    return chord.displayString(services_.platform.keyboard.get());
}

std::optional<HotkeyChord> AppCoordinator::chordOfKeyEvent(std::uint32_t nativeKeyCode,
                                                           std::uint32_t nativeModifiers) const {
    return services_.platform.hotKeys->chordOfKeyEvent(nativeKeyCode, nativeModifiers);
}

std::shared_ptr<const Recording> AppCoordinator::lastRecording() const {
    return recordings_.empty() ? nullptr : recordings_.front();
}

// Recording.

void AppCoordinator::toggleRecording(std::optional<std::uint64_t> triggerTime,
                                     std::optional<std::uint16_t> triggerKeyCode) {
    switch (state_.kind()) {
        case AppState::Kind::countdown: recording_->beginNow(triggerKeyCode); break;  // skips the rest of the countdown
        case AppState::Kind::idle: requestRecording(triggerKeyCode); break;
        case AppState::Kind::recording: stopRecording(triggerTime, triggerKeyCode); break;
        case AppState::Kind::preparing:
        case AppState::Kind::playing: break;
    }
}

void AppCoordinator::requestRecording(std::optional<std::uint16_t> triggerKeyCode) {
    if (!state_.isIdle()) return;
    refreshPermissions();
    if (auto missing = permissionMessage()) {
        setErrorMessage(std::move(missing));
        showLibrary();
        return;
    }
    try {
        services_.tap->start();
    } catch (const InputEventTapError&) {
        setErrorMessage(permissionTexts_.listenerFailed);
        showLibrary();
        return;
    }
    setErrorMessage(std::nullopt);
    getOutOfTheWay();
    recording_->request(settings_.countdownSeconds(), triggerKeyCode);
}

void AppCoordinator::stopRecording(std::optional<std::uint64_t> cutoff, std::optional<std::uint16_t> stopKeyCode) {
    // With a shortcut's press as cutoff the recorder drops the shortcut's own keystrokes.
    std::optional<Recording> recording = recording_->finish(cutoff, stopKeyCode);
    if (!recording) return;
    if (const std::int64_t leftOut = recorder_->ownKeyPressesLeftOut(); leftOut > 0) {
        // Said where it cannot be missed: the recording lacks what the user typed.
        setErrorMessage(fillIn(leftOut == 1 ? brevanor::tr("A key press went to a window of Brevanor and was not "
                                                           "recorded. Type into the app you are recording.")
                                            : brevanor::tr("%1 key presses went to windows of Brevanor and were not "
                                                           "recorded. Type into the app you are recording."),
                               {std::to_string(leftOut)}));
        showLibrary();
    }
    // Nothing but pauses is nothing worth keeping, and not worth a message either.
    if (!NewRecording::isWorthKeeping(*recording)) return;
    NewRecording::Named named = NewRecording::prepare(std::move(*recording), *store_, settings_.newRecordingSettings(),
                                                      std::nullopt, std::chrono::system_clock::now());
    // A failed save says so itself; a counter that could not be stored is said only when the save worked.
    if (writeToLibrary(named.recording, true) && named.warning) setErrorMessage(named.warning);
}

void AppCoordinator::stop(std::optional<std::uint64_t> triggerTime, std::optional<std::uint16_t> triggerKeyCode) {
    switch (state_.kind()) {
        case AppState::Kind::countdown: recording_->cancelCountdown(); break;
        case AppState::Kind::recording: stopRecording(triggerTime, triggerKeyCode); break;
        case AppState::Kind::preparing: playback_->stop(); break;  // the pending restore then plays nothing
        case AppState::Kind::playing: playback_->stop(); break;    // idle follows with the engine's report
        case AppState::Kind::idle: break;
    }
}

// Playback.

void AppCoordinator::play(Recording recording) {
    if (!state_.isIdle()) return;
    refreshPermissions();
    if (!accessibilityGranted_) {
        setErrorMessage(permissionTexts_.missingToPlay);
        showLibrary();
        return;
    }
    setErrorMessage(std::nullopt);
    publish(playbackNotice_, std::optional<std::string>(), &AppCoordinator::playbackNoticeChanged);

    const PlaybackOptions options(recording.settings);
    const PlaybackController::Preflight preflight = playback_->preflight(recording, options);
    PreflightDecision decision;
    if (!preflight.warnings.empty()) {
        const auto alert =
            PreflightAlert::beforePlaying(recording.name, preflight.appName, preflight.warnings, preflight.offerLaunch);
        decision = alert.decision(services_.prompts->confirmPreflight(alert));
        // The alert runs a nested event loop: a shortcut may have started something meanwhile.
        if (!decision.play || !state_.isIdle()) return;
        if (decision.silenceWarnings) {
            Recording silenced = recording;
            for (const PreflightWarning& warning : preflight.warnings) {
                silenced.settings.silencedWarnings.insert(warning.kind);
            }
            save(silenced);
        }
    }
    getOutOfTheWay();
    playback_->start(std::move(recording), options, settings_.restoreWindowBeforePlayback(), decision.launchApp);
}

std::optional<FidelityReport> AppCoordinator::lastReplay(const Uuid& recording) const {
    return playback_->fidelity(recording);
}

void AppCoordinator::playbackChanged() {
    const PlaybackController& playback = *playback_;
    if (playback.notice()) {
        publish(playbackNotice_, playback.notice(), &AppCoordinator::playbackNoticeChanged);
    }
    publish(waitingForRelease_, playback.isWaitingForRelease(), &AppCoordinator::waitingForReleaseChanged);
    switch (playback.phase()) {
        case PlaybackController::Phase::preparing:
            if (state_.kind() != AppState::Kind::preparing) setState(AppState::preparing());
            break;
        case PlaybackController::Phase::playing: {
            AppState playing = AppState::playing(playback.repeatIndex(), playback.repeatTotal());
            if (state_.kind() != AppState::Kind::playing) {
                setState(std::move(playing));
            } else {
                // Not through setState(): the elapsed time comes from the progress itself.
                publish(state_, std::move(playing), &AppCoordinator::stateChanged);
                publish(elapsedNanos_, playback.elapsedNanos(), &AppCoordinator::elapsedNanosChanged);
            }
            break;
        }
        case PlaybackController::Phase::idle:
            if (state_.kind() == AppState::Kind::preparing || state_.kind() == AppState::Kind::playing) {
                setState(AppState::idle());
            }
            break;
    }
}

// Shortcuts and termination.

void AppCoordinator::handleHotkeyAction(const HotkeyAction& action, std::uint64_t time, std::uint16_t keyCode) {
    switch (action.kind()) {
        case HotkeyAction::Kind::record: toggleRecording(time, keyCode); break;
        case HotkeyAction::Kind::playLast:
            if (!state_.isIdle()) break;
            if (auto last = lastRecording()) play(*last);
            break;
        case HotkeyAction::Kind::playRecording: {
            if (!state_.isIdle()) break;
            const auto found = std::find_if(recordings_.begin(), recordings_.end(), [&](const auto& recording) {
                return recording->id == action.recordingId();
            });
            if (found != recordings_.end()) play(**found);
            break;
        }
        case HotkeyAction::Kind::stop: stop(time, keyCode); break;
    }
}

void AppCoordinator::shutdown() {
    switch (state_.kind()) {
        case AppState::Kind::countdown: recording_->cancelCountdown(); break;
        case AppState::Kind::recording: stopRecording(std::nullopt, std::nullopt); break;  // saved, not lost
        case AppState::Kind::preparing:
        case AppState::Kind::idle:
        case AppState::Kind::playing: break;
    }
    // Stops a preparation or a playback; the engine lets go of everything it holds.
    playback_->stop();
    hotkeys_->setSuspended(true);
    services_.tap->stop();
}

// Library operations.

void AppCoordinator::reloadLibrary() {
    LibraryListing<Recording> listed;
    try {
        listed = store_->list();
    } catch (const std::exception&) {
        // A folder that cannot be listed shows as an empty library.
    }
    publish(recordings_, std::move(listed.entries), &AppCoordinator::recordingsChanged);
    // Files left out are told when they change, not again after every change of the library.
    if (listed.skipped == skippedDocuments_) return;
    skippedDocuments_ = std::move(listed.skipped);
    std::vector<std::string> sentences;
    for (const SkippedDocument& skipped : skippedDocuments_) {
        sentences.push_back(fillIn(brevanor::tr("“%1” is left out of the library: %2."),
                                   {skipped.path.filename().string(), skipped.reason}));
    }
    if (!sentences.empty()) setErrorMessage(joined(sentences, " "));
}

void AppCoordinator::save(const Recording& recording) { writeToLibrary(recording, false); }

bool AppCoordinator::writeToLibrary(const Recording& recording, bool isNew) {
    try {
        if (isNew) {
            store_->add(recording);
        } else {
            store_->save(recording);
        }
    } catch (const std::exception& error) {
        const std::string message = fillIn(brevanor::tr("Could not save “%1”: %2"), {recording.name, error.what()});
        setErrorMessage(isNew ? message + keptOutsideLibrary(recording) : message);
        return false;
    }
    reloadLibrary();
    registerHotkeys();  // its play shortcut may have changed
    return true;
}

bool AppCoordinator::changeLibrary(const std::function<void(LibraryOperations&)>& change) {
    LibraryOperations library(*store_);
    try {
        change(library);
    } catch (const LibraryOperations::Failure& failure) {
        setErrorMessage(failure.what());
        return false;
    }
    reloadLibrary();
    return true;
}

void AppCoordinator::deleteRecording(const Recording& recording) {
    // Its shortcut goes with it.
    if (changeLibrary(
            [id = recording.id, name = recording.name](LibraryOperations& library) { library.remove(id, name); })) {
        registerHotkeys();
    }
}

void AppCoordinator::duplicate(const Recording& recording) {
    // The copy's shortcut takes part in the next registration, not now.
    changeLibrary([&](LibraryOperations& library) { library.duplicate(recording.id, recording.name); });
}

void AppCoordinator::exportRecording(const Recording& recording) {
    if (auto refusal = LibraryOperations::exportRefusal(recording.name, recording.settings)) {
        setErrorMessage(*refusal);
        return;
    }
    std::string fileName = recording.name;
    std::replace(fileName.begin(), fileName.end(), '/', '-');
    fileName += ".";
    fileName += RecordingStore::exportExtension;
    const auto location = services_.prompts->chooseExportLocation(fileName);
    if (!location) return;
    // The save panel has asked before replacing a file.
    changeLibrary([&](LibraryOperations& library) {
        library.exportRecording(recording, *location, RecordingStore::Overwrite::regularFile);
    });
}

void AppCoordinator::importFiles(const std::vector<std::filesystem::path>& files) {
    // Files of other kinds dropped with recordings are passed over.
    const LibraryOperations::ImportReport report = LibraryOperations(*store_).importFiles(files);
    reloadLibrary();
    registerHotkeys();  // an imported recording may carry a play shortcut
    if (auto sentence = report.sentence()) setErrorMessage(std::move(sentence));
}

void AppCoordinator::scheduleHotkeyRegistration() {
    // A burst of changes (the three writes of a shortcut reset) registers once.
    const std::uint64_t generation = ++registrationGeneration_;
    services_.mainQueue->postAfter(hotkeyRegistrationDelayNanos, [self = QPointer<AppCoordinator>(this), generation] {
        if (self && self->registrationGeneration_ == generation) {
            self->registerHotkeys();
        }
    });
}

void AppCoordinator::registerHotkeys() {
    const auto failures = hotkeys_->update(hotkeyBindings(settings_, recordings_));
    // Success leaves an earlier message alone.
    if (failures.empty()) return;
    std::vector<std::string> chords;
    for (const auto& failure : failures) chords.push_back(shortcutText(failure.binding.chord));
    const bool unheard = !inputMonitoringGranted_ && !permissionTexts_.shortcutsUnheard.empty();
    setErrorMessage(fillIn(unheard ? permissionTexts_.shortcutsUnheard : permissionTexts_.shortcutsRefused,
                           {joined(chords, ", ")}));
}

std::vector<HotkeyConflicts::Binding> AppCoordinator::shortcutsInUse(
    std::optional<Uuid> excludingRecording, std::optional<HotkeyAction::Kind> excludingAction) const {
    std::vector<HotkeyConflicts::Binding> inUse;
    for (const HotkeyBinding& binding : hotkeyBindings(settings_, recordings_)) {
        const auto& recordingId = binding.action.recordingId();
        if (recordingId ? recordingId == excludingRecording : binding.action.kind() == excludingAction) continue;
        inUse.push_back({binding.name, binding.chord});
    }
    return inUse;
}

std::vector<std::string> AppCoordinator::shortcutConflicts(const HotkeyChord& chord,
                                                           std::optional<Uuid> excludingRecording,
                                                           std::optional<HotkeyAction::Kind> excludingAction) const {
    return HotkeyConflicts::conflicts(chord, shortcutsInUse(excludingRecording, excludingAction),
                                      services_.platform.keyboard.get());
}

}  // namespace brevanor
