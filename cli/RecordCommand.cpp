#include "cli/RecordCommand.h"

#include <filesystem>
#include <ostream>

#include "base/keys/KeyCodeNames.h"
#include "base/text/Localized.h"
#include "base/time/MonotonicClock.h"
#include "cli/CliError.h"
#include "cli/StatusLine.h"
#include "cli/StopSources.h"
#include "core/capture/EnvironmentCapture.h"
#include "core/capture/EventRecorder.h"
#include "core/capture/InputEventTap.h"
#include "core/checks/PermissionTexts.h"
#include "core/checks/Permissions.h"
#include "core/control/NewRecording.h"
#include "core/control/RecordingController.h"
#include "core/dispatch/SerialQueue.h"
#include "core/model/DurationText.h"
#include "core/model/PositionsText.h"

namespace brevanor {

void RecordCommand::keepOutsideLibrary(const Recording& recording, const std::string& why) {
    const std::string failed = tr("Could not save “") + recording.name + tr("” in the library: ") + why;
    std::string kept;
    try {
        const auto file = NewRecording::keepOutsideLibrary(
            recording, NewRecording::placesOutsideLibrary(std::filesystem::current_path()));
        kept = tr(". It is kept in ") + file.string() + tr("; add it later with: brevanor-cli import '") +
               file.string() + "'";
    } catch (const std::exception& error) {
        // Nowhere to write it: the document goes to standard output, the one place left.
        context_.out() << Recording::makeJSONEncoder().encode(recording) << "\n";
        kept = tr(", nor kept in a file (") + error.what() + tr("); its document is on standard output");
    }
    throw CliError(failed + kept);
}

int RecordCommand::run(const CommandLine& line) {
    line.expectPositionals(0, 0, "nothing");
    const UserSettings settings = context_.settings();
    const std::int64_t countdown = line.integer("countdown", 0, 3600).value_or(settings.countdownSeconds);
    const auto name = line.value("name");
    if (name && name->find_first_not_of(" \t") == std::string::npos) {
        throw CliError::usage("A recording needs a name that is not blank.");
    }
    RecordingStore& store = context_.store();
    PlatformServices& services = context_.platform();
    const Permissions permissions(services.permissions);
    if (const auto missing =
            PermissionTexts::forBackend(services.backend)
                .missingToRecord(permissions.accessibilityGranted(), permissions.inputMonitoringGranted())) {
        throw CliError(*missing);
    }

    const auto mainQueue = context_.mainQueue();
    const auto tap = std::make_shared<InputEventTap>(services.inputSource);
    try {
        tap->start();
    } catch (const std::exception&) {
        throw CliError(tr("Brevanor could not start listening for input."));
    }
    const EnvironmentCapture environment(services.displays, services.workspace, services.windows, services.keyboard,
                                         services.inputSource);
    const auto recorder =
        std::make_shared<EventRecorder>(mainQueue, std::make_shared<SerialQueue>("com.brevanor.recorder.secure-input"),
                                        services.secureInput, [environment] { return environment.capture(); });
    StatusLine status(context_.err(), context_.errIsTerminal());
    recorder->onSecureInputChanged = [this, &status](bool active) {
        if (!active) return;
        status.finish();
        context_.err() << tr("Secure Input is on: keystrokes in this field are not recorded") << "\n";
    };

    const auto controller = RecordingController::make(tap, mainQueue, recorder, MonotonicClock::now);
    bool told = false;
    controller->onChange = [&] {
        switch (controller->phase()) {
            case RecordingController::Phase::countdown:
                status.show(tr("Recording starts in ") + std::to_string(controller->remaining()) + "…");
                break;
            case RecordingController::Phase::recording:
                if (!told) {
                    told = true;
                    status.finish();
                    KeyboardLayout* layout = services.keyboard.get();
                    context_.err() << tr("Recording. Stop with ") << settings.recordHotkey.displayString(layout)
                                   << tr(", ") << settings.stopHotkey.displayString(layout) << tr(", by holding ")
                                   << KeyCodeNames::name(HotkeyChord::escapeKeyCode, nullptr) << tr(" or with Ctrl+C.")
                                   << "\n";
                    if (!services.inputSource->reportsScreenPositions()) {
                        context_.err() << PositionsText::relativeExplained() << "\n";
                    }
                    context_.err() << std::flush;
                }
                status.show(tr("Recording ") + DurationText::elapsed(controller->elapsedNanos()) + " • " +
                            std::to_string(controller->eventCount()) + tr(" events"));
                break;
            case RecordingController::Phase::idle: break;
        }
    };
    std::optional<StopSources::Request> stopRequest;
    StopSources stops(
        tap, settings.recordHotkey, settings.stopHotkey, mainQueue, [&](const StopSources::Request& request) {
            const bool recordShortcut = request.press && request.press->key == ShortcutWatch::Key::recordShortcut;
            if (controller->phase() == RecordingController::Phase::countdown && recordShortcut) {
                controller->beginNow();  // the record shortcut skips the rest of the countdown
            } else if (!stopRequest) {
                stopRequest = request;
            }
        });

    controller->request(countdown);
    mainQueue->runUntil([&] { return stopRequest.has_value(); });
    status.finish();
    const auto& press = stopRequest->press;
    std::optional<Recording> recording = controller->finish(press ? std::optional(press->timeNanos) : std::nullopt,
                                                            press ? std::optional(press->keyCode) : std::nullopt);
    controller->cancelCountdown();
    tap->stop();
    if (!recording) {
        if (stopRequest->signalNumber != 0) return 128 + stopRequest->signalNumber;
        throw CliError("The recording was cancelled during the countdown; nothing was recorded.");
    }

    if (!NewRecording::isWorthKeeping(*recording)) throw CliError("Nothing was recorded, so nothing was saved.");
    NewRecording::Named named = NewRecording::prepare(std::move(*recording), store, settings.newRecordingSettings(),
                                                      name, std::chrono::system_clock::now());
    try {
        named.recording.id = store.add(named.recording).id;
    } catch (const std::exception& error) {
        keepOutsideLibrary(named.recording, error.what());
    }
    if (named.warning) context_.err() << *named.warning << "\n";
    context_.out() << named.recording.id.toString() << "\n";
    return 0;
}

}  // namespace brevanor
