#include "cli/PlayCommand.h"

#include <istream>
#include <ostream>

#include "cli/CliError.h"
#include "cli/RecordingLookup.h"
#include "cli/StatusLine.h"
#include "cli/StopSources.h"
#include "cli/TerminalText.h"
#include "core/capture/EnvironmentCapture.h"
#include "core/capture/InputEventTap.h"
#include "core/capture/MonotonicClock.h"
#include "core/checks/Permissions.h"
#include "core/checks/PreflightChecker.h"
#include "core/checks/WindowRestorer.h"
#include "core/control/ReleaseWait.h"
#include "core/model/DurationText.h"
#include "core/model/Localized.h"
#include "core/playback/CursorTransform.h"
#include "core/playback/PlaybackEngine.h"
#include "core/playback/PlaybackTimeline.h"

namespace brevanor {

namespace {

std::optional<CursorMode> cursorModeOption(const std::string& text) {
    if (text == "absolute") return CursorMode::absolute;
    if (text == "screen") return CursorMode::relativeToScreen;
    if (text == "cursor") return CursorMode::relativeToCursor;
    return cursorModeFromString(text);
}

std::string progressText(const PlaybackEngine::Progress& progress) {
    const std::string total = progress.repeatTotal ? std::to_string(*progress.repeatTotal) : "∞";
    return tr("Playing ") + std::to_string(progress.repeatIndex) + tr(" of ") + total + " • " +
           DurationText::elapsed(progress.elapsedNanos);
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
    const Recording recording = RecordingLookup(context_.store()).find(line.positionals()[0]);
    const PlaybackOptions playbackOptions = options(recording, line);
    PlatformServices& services = context_.platform();
    if (!Permissions(services.permissions).accessibilityGranted()) {
        throw CliError(tr("Brevanor needs Accessibility permission to play recordings."));
    }
    // The first event posted starts the platform's input guardian; a move to where the pointer
    // already is, posted now, keeps that start-up away from the playback's timing.
    if (const auto pointer = services.injector->cursorPosition()) {
        services.injector->post({SyntheticInput::Type::mouseMoved, pointer->x, pointer->y});
    }
    if (!confirmWarnings(recording, playbackOptions, line)) {
        throw CliError("Nothing was played: the warnings above need --yes, or a yes on a terminal.");
    }
    if (line.has("restore-window")) {
        if (const auto notice = restoreWindow(recording)) context_.err() << TerminalText::escaped(*notice) << "\n";
    }

    const UserSettings settings = context_.settings();
    const auto mainQueue = context_.mainQueue();
    const auto tap = InputEventTap::installShared(services.inputSource);
    try {
        tap->start();
    } catch (const std::exception&) {
        context_.err() << "Brevanor cannot listen for input here, so only Ctrl+C stops this playback.\n";
    }
    const auto poster = std::make_shared<EventPoster>(services.injector);
    const auto engine = PlaybackEngine::make(poster, mainQueue);
    if (line.has("verbose")) context_.err() << "Playback priority: " << engine->threadPriority().description() << "\n";
    std::optional<bool> completed;
    bool started = false;
    int stopSignal = 0;
    StatusLine status(context_.err(), context_.errIsTerminal());
    engine->setOnProgress([&](const PlaybackEngine::Progress& progress) { status.show(progressText(progress)); });
    engine->setOnFinished([&](bool ranToTheEnd) { completed = ranToTheEnd; });
    StopSources stops(tap->isRunning() ? tap : nullptr, std::nullopt, settings.stopHotkey, mainQueue,
                      [&](const StopSources::Request& request) {
                          if (stopSignal == 0) stopSignal = request.signalNumber;
                          if (started) {
                              engine->stop();
                          } else {
                              completed = false;
                          }
                      });

    // The Enter that ran this command, or a shortcut's keys, may still be down:
    // the first event waits until the hands are off the keys and buttons.
    bool released = false;
    const auto releaseWait = ReleaseWait::make(services.heldInput, mainQueue, MonotonicClock::now);
    releaseWait->start([&] { released = true; },
                       [&](bool waiting) {
                           if (waiting) status.show(tr("Release the keys to start"));
                       });
    mainQueue->runUntil([&] { return released || completed.has_value(); });
    releaseWait->cancel();
    if (!completed) {
        started = true;
        const EnvironmentCapture environment(services.displays, services.workspace, services.windows,
                                             services.keyboard);
        const Point cursorAtStart = services.injector->cursorPosition().value_or(Point{});
        const CursorTransform transform =
            CursorTransform::make(playbackOptions.cursorMode, recording.environment, environment.captureDisplays(),
                                  cursorAtStart, recording.firstMousePosition());
        engine->start(PlaybackTimeline::build(recording, playbackOptions, transform), playbackOptions);
        mainQueue->runUntil([&] { return completed.has_value(); });
    }
    status.finish();
    tap->stop();

    if (*completed) return 0;
    if (stopSignal != 0) return 128 + stopSignal;
    context_.err() << "Playback stopped before it finished.\n";
    return 1;
}

bool PlayCommand::confirmWarnings(const Recording& recording, const PlaybackOptions& playbackOptions,
                                  const CommandLine& line) {
    PlatformServices& services = context_.platform();
    const EnvironmentCapture environment(services.displays, services.workspace, services.windows, services.keyboard);
    const auto warnings = PreflightChecker::warnings(recording, playbackOptions, environment.captureDisplays(),
                                                     services.workspace->runningApplicationIds(),
                                                     environment.captureKeyboardInputSourceID());
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

std::optional<std::string> PlayCommand::restoreWindow(const Recording& recording) {
    const auto& app = recording.environment.frontmostApp;
    PlatformServices& services = context_.platform();
    if (!app || !app->bundleID || *app->bundleID == services.workspace->ownApplicationId()) return std::nullopt;
    std::optional<WindowRestoreResult> result;
    WindowRestorer(services.workspace, services.windows, context_.mainQueue())
        .restore(*app, true, [&](WindowRestoreResult outcome) { result = std::move(outcome); });
    context_.mainQueue()->runUntil([&] { return result.has_value(); });
    if (result->isRestored()) return std::nullopt;
    return result->reason;
}

}  // namespace brevanor
