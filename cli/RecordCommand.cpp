#include "cli/RecordCommand.h"

#include <algorithm>
#include <ostream>

#include "cli/CliError.h"
#include "cli/StatusLine.h"
#include "cli/StopSources.h"
#include "core/capture/EnvironmentCapture.h"
#include "core/capture/EventRecorder.h"
#include "core/capture/InputEventTap.h"
#include "core/capture/MonotonicClock.h"
#include "core/checks/Permissions.h"
#include "core/control/NewRecording.h"
#include "core/model/DurationText.h"
#include "core/model/Localized.h"

namespace brevanor {

namespace {

constexpr std::uint64_t kSecondNanos = 1'000'000'000;
constexpr std::uint64_t kStatusIntervalNanos = 100'000'000;

void checkPermissions(const Permissions& permissions) {
    const bool accessibility = permissions.accessibilityGranted();
    const bool inputMonitoring = permissions.inputMonitoringGranted();
    if (!accessibility && !inputMonitoring) {
        throw CliError(tr("Brevanor needs Accessibility and Input Monitoring permission before it can record."));
    }
    if (!accessibility) throw CliError(tr("Brevanor needs Accessibility permission before it can record or play."));
    if (!inputMonitoring) throw CliError(tr("Brevanor needs Input Monitoring permission before it can record."));
}

}  // namespace

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
    checkPermissions(Permissions(services.permissions));

    const auto mainQueue = context_.mainQueue();
    const auto tap = InputEventTap::installShared(services.inputSource);
    try {
        tap->start();
    } catch (const std::exception&) {
        throw CliError(tr("Brevanor could not start listening for input."));
    }
    const EnvironmentCapture environment(services.displays, services.workspace, services.windows, services.keyboard);
    const auto recorder = std::make_shared<EventRecorder>(mainQueue, services.secureInput,
                                                          [environment] { return environment.capture(); });
    StatusLine status(context_.err(), context_.errIsTerminal());
    recorder->onSecureInputChanged = [this, &status](bool active) {
        if (!active) return;
        status.finish();
        context_.err() << tr("Secure Input is on: keystrokes in this field are not recorded") << "\n";
    };

    enum class Phase { countdown, recording, done } phase = Phase::countdown;
    std::int64_t remaining = countdown;
    std::uint64_t startedAt = 0;
    std::optional<StopSources::Request> stopRequest;

    std::function<void()> statusStep = [&] {
        if (phase != Phase::recording) return;
        const std::uint64_t now = MonotonicClock::now();
        status.show(tr("Recording ") + DurationText::elapsed(now > startedAt ? now - startedAt : 0) + " • " +
                    std::to_string(recorder->eventCount()) + tr(" events"));
        mainQueue->postAfter(kStatusIntervalNanos, statusStep);
    };
    auto begin = [&] {
        status.finish();
        startedAt = MonotonicClock::now();
        recorder->start(tap, startedAt, std::nullopt);
        phase = Phase::recording;
        KeyboardLayout* layout = services.keyboard.get();
        context_.err() << tr("Recording. Stop with ") << settings.recordHotkey.displayString(layout) << tr(", ")
                       << settings.stopHotkey.displayString(layout) << tr(", by holding ⎋ or with Ctrl+C.") << "\n"
                       << std::flush;
        statusStep();
    };
    std::function<void()> countdownStep = [&] {
        if (phase != Phase::countdown) return;
        if (remaining < 1) return begin();
        status.show(tr("Recording starts in ") + std::to_string(remaining) + "…");
        --remaining;
        mainQueue->postAfter(kSecondNanos, countdownStep);
    };
    StopSources stops(
        tap, settings.recordHotkey, settings.stopHotkey, mainQueue, [&](const StopSources::Request& request) {
            if (phase == Phase::countdown && request.press && request.press->key == StopKeys::Key::recordShortcut) {
                begin();  // the record shortcut skips the rest of the countdown
            } else if (phase != Phase::done) {
                stopRequest = request;
                phase = phase == Phase::recording ? Phase::done : phase;
            }
        });

    countdownStep();
    mainQueue->runUntil([&] { return stopRequest.has_value(); });
    status.finish();
    const bool recorded = phase == Phase::done;
    phase = Phase::done;
    if (!recorded) {
        tap->stop();
        if (stopRequest->signalNumber != 0) return 128 + stopRequest->signalNumber;
        throw CliError("The recording was cancelled during the countdown; nothing was recorded.");
    }

    const auto& press = stopRequest->press;
    Recording recording = recorder->stop(MonotonicClock::now(), press ? std::optional(press->timeNanos) : std::nullopt,
                                         press ? std::optional(press->keyCode) : std::nullopt, "");
    tap->stop();
    if (!NewRecording::isWorthKeeping(recording)) throw CliError("Nothing was recorded, so nothing was saved.");
    NewRecording::Named named = NewRecording::prepare(
        std::move(recording), store, settings.newRecordingSettings(), name, std::chrono::system_clock::now());
    try {
        named.recording.id = store.add(named.recording).id;
    } catch (const std::exception& error) {
        throw CliError(tr("Could not save “") + named.recording.name + "”: " + error.what());
    }
    if (named.warning) context_.err() << *named.warning << "\n";
    context_.out() << named.recording.id.toString() << "\n";
    return 0;
}

}  // namespace brevanor
