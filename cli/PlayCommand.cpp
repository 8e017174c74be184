#include "cli/PlayCommand.h"

#include <istream>
#include <ostream>

#include "base/text/Localized.h"
#include "base/time/MonotonicClock.h"
#include "cli/CliError.h"
#include "cli/RecordingLookup.h"
#include "cli/StatusLine.h"
#include "cli/StopSources.h"
#include "cli/TerminalText.h"
#include "core/capture/InputEventTap.h"
#include "core/checks/PermissionTexts.h"
#include "core/checks/Permissions.h"
#include "core/control/PlaybackController.h"
#include "core/model/DurationText.h"
#include "core/model/JsonWriter.h"

namespace brevanor {

namespace {

std::optional<CursorMode> cursorModeOption(const std::string& text) {
    if (text == "absolute") return CursorMode::absolute;
    if (text == "screen") return CursorMode::relativeToScreen;
    if (text == "cursor") return CursorMode::relativeToCursor;
    return cursorModeFromString(text);
}

std::string progressText(std::int64_t repeatIndex, std::optional<std::int64_t> repeatTotal,
                         std::uint64_t elapsedNanos) {
    const std::string total = repeatTotal ? std::to_string(*repeatTotal) : "∞";
    return tr("Playing ") + std::to_string(repeatIndex) + tr(" of ") + total + " • " +
           DurationText::elapsed(elapsedNanos);
}

}  // namespace

PlaybackOptions PlayCommand::options(const Recording& recording, const CommandLine& line) {
    PlaybackOptions options(recording.settings);
    if (line.has("repeat") && line.has("forever")) {
        throw CliError::usage("Choose either --repeat or --forever, not both.");
    }
    if (const auto speed =
            line.number("speed", RecordingSettings::speedRange.lowerBound, RecordingSettings::speedRange.upperBound)) {
        options.speed = *speed;
    }
    if (const auto count = line.integer("repeat", RecordingSettings::repeatRange.lowerBound,
                                        RecordingSettings::repeatRange.upperBound)) {
        options.repeatCount = *count;
    }
    if (line.has("forever")) options.repeatCount = std::nullopt;
    if (const auto delay =
            line.number("delay", RecordingSettings::delayRange.lowerBound, RecordingSettings::delayRange.upperBound)) {
        options.delayBetweenRepeatsNanos = static_cast<std::uint64_t>(*delay * 1e9);
    }
    if (const auto text = line.value("cursor")) {
        const auto mode = cursorModeOption(*text);
        if (!mode) throw CliError::usage("The option --cursor takes absolute, screen or cursor, not “" + *text + "”.");
        options.cursorMode = *mode;
    }
    if (const auto milliseconds = line.integer("click-delay", RecordingSettings::extraClickDelayRange.lowerBound,
                                               RecordingSettings::extraClickDelayRange.upperBound)) {
        options.extraDelayBeforeClickNanos = static_cast<std::uint64_t>(*milliseconds) * 1'000'000;
    }
    return options;
}

int PlayCommand::run(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id, name or file)");
    Recording recording = RecordingLookup(context_.store()).find(line.positionals()[0]);
    const PlaybackOptions playbackOptions = options(recording, line);
    PlatformServices& services = context_.platform();
    if (!Permissions(services.permissions).accessibilityGranted()) {
        throw CliError(PermissionTexts::forBackend(services.backend).missingToPlay);
    }
    // The first event posted starts the platform's input guardian; a move to where the pointer
    // already is, posted now, keeps that start-up away from the playback's timing.
    if (const auto pointer = services.injector->cursorPosition()) {
        services.injector->post({SyntheticInput::Type::mouseMoved, pointer->x, pointer->y});
    }
    const auto mainQueue = context_.mainQueue();
    const auto controller = PlaybackController::make(services, mainQueue, MonotonicClock::now);
    if (!confirmWarnings(recording, controller->preflight(recording, playbackOptions).warnings, line)) {
        throw CliError("Nothing was played: the warnings above need --yes, or a yes on a terminal.");
    }

    const UserSettings settings = context_.settings();
    const auto tap = std::make_shared<InputEventTap>(services.inputSource);
    try {
        tap->start();
        controller->judgeBy(tap);
    } catch (const std::exception&) {
        context_.err() << "Brevanor cannot listen for input here, so only Ctrl+C stops this playback.\n";
    }
    if (line.has("verbose")) {
        context_.err() << "Playback priority: " << controller->threadPriority().description() << "\n";
    }
    std::optional<bool> completed;
    int stopSignal = 0;
    bool noticeTold = false;
    StatusLine status(context_.err(), context_.errIsTerminal());
    controller->onChange = [&] {
        if (controller->notice() && !noticeTold) {
            noticeTold = true;
            status.finish();
            context_.err() << TerminalText::escaped(*controller->notice()) << "\n";
        }
        if (controller->isWaitingForRelease()) {
            status.show(tr("Release the keys to start"));
        } else if (controller->phase() == PlaybackController::Phase::playing) {
            status.show(progressText(controller->repeatIndex(), controller->repeatTotal(), controller->elapsedNanos()));
        }
    };
    controller->onFinished = [&](bool ranToTheEnd) { completed = ranToTheEnd; };
    StopSources stops(tap->isRunning() ? tap : nullptr, std::nullopt, settings.stopHotkey, mainQueue,
                      [&](const StopSources::Request& request) {
                          if (stopSignal == 0) stopSignal = request.signalNumber;
                          controller->stop();
                      });
    const Uuid id = recording.id;
    controller->start(std::move(recording), playbackOptions, line.has("restore-window"), true);
    mainQueue->runUntil([&] { return completed.has_value(); });
    status.finish();
    if (line.has("report") || line.has("json")) reportFidelity(controller->fidelity(id), line.has("json"));
    tap->stop();

    if (*completed) return 0;
    if (stopSignal != 0) return 128 + stopSignal;
    context_.err() << "Playback stopped before it finished.\n";
    return 1;
}

void PlayCommand::reportFidelity(const std::optional<FidelityReport>& report, bool json) {
    if (!json) {
        context_.out() << (report ? report->sentence()
                                  : tr("Fidelity: not measured, as Brevanor cannot listen for input here."))
                       << "\n";
        return;
    }
    JsonWriter w(160);
    w.beginObject();
    if (report) {
        w.key("arrivedLateMaxMs").real(report->arrivedLateMaxMs);
        w.key("expected").integer(report->expected);
        w.key("measured").boolean(true);
        w.key("observed").integer(report->observed);
        w.key("pointerErrorPx").real(report->pointerErrorPx);
        w.key("postedLateMaxMs").real(report->postedLateMaxMs);
        w.key("timingMaxMs").real(report->timingMaxMs);
        w.key("timingP95Ms").real(report->timingP95Ms);
    } else {
        w.key("measured").boolean(false);
    }
    w.endObject();
    context_.out() << w.take() << "\n";
}

bool PlayCommand::confirmWarnings(const Recording& recording, const std::vector<PreflightWarning>& warnings,
                                  const CommandLine& line) {
    if (warnings.empty()) return true;
    context_.err() << tr("Before playing “") << TerminalText::escaped(recording.name) << "”\n";
    for (const PreflightWarning& warning : warnings) {
        context_.err() << "• " << TerminalText::escaped(warning.message) << "\n";
    }
    if (line.has("yes")) return true;
    if (!context_.inIsTerminal()) return false;
    context_.err() << "Play anyway? [y/N] " << std::flush;
    std::string answer;
    std::getline(context_.in(), answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace brevanor
