#include "core/control/PlaybackController.h"

#include <algorithm>

#include "core/capture/InputEventTap.h"
#include "core/checks/PreflightChecker.h"
#include "core/control/ReleaseWait.h"
#include "core/dispatch/SerialQueue.h"
#include "core/playback/CursorTransform.h"
#include "core/playback/EventPoster.h"
#include "core/playback/PlaybackEngine.h"
#include "core/playback/PlaybackTimeline.h"
#include "core/playback/ReplayFidelity.h"

namespace brevanor {

namespace {

// How long a judgement waits for the last events to come back from the system.
constexpr std::uint64_t kSettleNanos = 500'000'000;

}  // namespace

std::shared_ptr<PlaybackController> PlaybackController::make(const PlatformServices& platform,
                                                             std::shared_ptr<MainQueue> mainQueue, Clock now) {
    auto controller =
        std::shared_ptr<PlaybackController>(new PlaybackController(platform, std::move(mainQueue), std::move(now)));
    // The engine's reports arrive on the main queue; they hold the controller weakly.
    std::weak_ptr<PlaybackController> weak = controller;
    controller->engine_->setOnProgress([weak](const PlaybackEngine::Progress& progress) {
        const auto self = weak.lock();
        if (!self || self->phase_ != Phase::playing) return;
        self->repeatIndex_ = progress.repeatIndex;
        self->repeatTotal_ = progress.repeatTotal;
        self->elapsedNanos_ = progress.elapsedNanos;
        self->changed();
    });
    controller->engine_->setOnFinished([weak](bool completed) {
        const auto self = weak.lock();
        if (self && self->phase_ == Phase::playing) self->judgeThenFinish(completed);
    });
    return controller;
}

PlaybackController::PlaybackController(const PlatformServices& platform, std::shared_ptr<MainQueue> mainQueue,
                                       Clock now)
    : injector_(platform.injector),
      workspace_(platform.workspace),
      environment_(platform.displays, platform.workspace, platform.windows, platform.keyboard),
      windowRestorer_(platform.workspace, platform.windows, mainQueue, now),
      poster_(std::make_shared<EventPoster>(platform.injector)),
      replayFidelity_(std::make_shared<ReplayFidelity>()),
      playbackQueue_(std::make_shared<SerialQueue>("com.brevanor.playback", SerialQueue::Priority::userInteractive)),
      engine_(PlaybackEngine::make(poster_, mainQueue, playbackQueue_, replayFidelity_)),
      releaseWait_(ReleaseWait::make(platform.heldInput, mainQueue, now)),
      mainQueue_(std::move(mainQueue)) {}

PlaybackController::Preflight PlaybackController::preflight(const Recording& recording,
                                                            const PlaybackOptions& options) const {
    Preflight preflight;
    preflight.warnings =
        PreflightChecker::warnings(recording, options, environment_.captureDisplays(),
                                   workspace_->runningApplicationIds(), environment_.captureKeyboardInputSourceID());
    const std::optional<FrontmostAppInfo>& app = recording.environment.frontmostApp;
    const bool appNotRunning = std::any_of(
        preflight.warnings.begin(), preflight.warnings.end(),
        [](const PreflightWarning& warning) { return warning.kind == PreflightWarningKind::appNotRunning; });
    preflight.offerLaunch = app && app->bundleID && workspace_->isInstalled(*app->bundleID) && appNotRunning;
    preflight.appName = app ? app->name.value_or(app->bundleID.value_or(std::string())) : std::string();
    return preflight;
}

void PlaybackController::start(Recording recording, const PlaybackOptions& options, bool restoreWindow,
                               bool launchApp) {
    if (phase_ != Phase::idle) return;
    phase_ = Phase::preparing;
    notice_.reset();
    playingRecording_ = recording.id;
    const std::uint64_t request = ++requests_;
    // Whatever posting sets up happens now, while the window is put back and held keys are let go, not at the
    // first event's deadline.
    injector_->prepareToPost();
    changed();
    // Shared by the steps below rather than copied into each: a long recording is held once.
    auto shared = std::make_shared<const Recording>(std::move(recording));
    const std::optional<FrontmostAppInfo>& app = shared->environment.frontmostApp;
    if (!restoreWindow || !app || !app->bundleID || *app->bundleID == workspace_->ownApplicationId()) {
        startOnceReleased(std::move(shared), options, request);
        return;
    }
    windowRestorer_.restore(
        *app, launchApp, [weak = weak_from_this(), recording = shared, options, request](WindowRestoreResult result) {
            const auto self = weak.lock();
            // A stop (and perhaps a new request) came while the window was put back.
            if (!self || self->phase_ != Phase::preparing || self->requests_ != request) return;
            if (result.kind == WindowRestoreResult::Kind::skipped && !result.reason.empty()) {
                self->notice_ = result.reason;
                self->changed();
            }
            self->startOnceReleased(recording, options, request);
        });
}

void PlaybackController::startOnceReleased(std::shared_ptr<const Recording> recording, const PlaybackOptions& options,
                                           std::uint64_t request) {
    // The keys of the shortcut that started this, or the button of a click on a
    // menu, may still be down: the first event waits for them.
    releaseWait_->start(
        [this, recording = std::move(recording), options, request] { play(*recording, options, request); },
        [this](bool waiting) {
            waitingForRelease_ = waiting;
            changed();
        });
}

void PlaybackController::play(const Recording& recording, const PlaybackOptions& options, std::uint64_t request) {
    if (phase_ != Phase::preparing || request != requests_) return;
    // Where the cursor is now, after the wait: a relative playback starts there.
    const Point cursorAtStart = injector_->cursorPosition().value_or(Point{});
    // Positions recorded as the mouse's movements have no place on a screen, whatever the settings say.
    const CursorMode mode = recording.environment.relativePositions ? CursorMode::relativeToCursor : options.cursorMode;
    const CursorTransform transform = CursorTransform::make(mode, recording.environment, environment_.captureDisplays(),
                                                            cursorAtStart, recording.firstMousePosition());
    std::vector<ScheduledAction> actions = PlaybackTimeline::build(recording, options, transform);
    phase_ = Phase::playing;
    repeatIndex_ = 1;
    repeatTotal_ = options.repeatCount;
    elapsedNanos_ = 0;
    changed();
    engine_->start(std::move(actions), options);
}

void PlaybackController::stop() {
    switch (phase_) {
        case Phase::preparing:
            releaseWait_->cancel();
            finish(false);
            break;
        case Phase::playing: engine_->stop(); break;  // idle follows with the engine's report
        case Phase::idle: break;
    }
}

void PlaybackController::judgeBy(const std::shared_ptr<InputEventTap>& tap) {
    tap->addConsumer(replayFidelity_);
    judge_ = tap;
}

std::optional<FidelityReport> PlaybackController::fidelity(const Uuid& recording) const {
    const auto found = reports_.find(recording);
    if (found == reports_.end()) return std::nullopt;
    return found->second;
}

void PlaybackController::judgeThenFinish(bool completed) {
    const auto judge = judge_.lock();
    if (!judge || !judge->isRunning()) {
        finish(completed);
        return;
    }
    // Waiting on the playback queue keeps the main thread free, and a next playback starts only after it.
    playbackQueue_->async([weak = weak_from_this(), fidelity = replayFidelity_, mainQueue = mainQueue_, completed] {
        fidelity->waitUntilSettled(kSettleNanos);
        mainQueue->post([weak, report = fidelity->report(), completed] {
            const auto self = weak.lock();
            if (!self || self->phase_ != Phase::playing) return;
            if (self->playingRecording_) self->reports_[*self->playingRecording_] = report;
            self->finish(completed);
        });
    });
}

void PlaybackController::finish(bool completed) {
    phase_ = Phase::idle;
    playingRecording_.reset();
    repeatIndex_ = 0;
    repeatTotal_.reset();
    elapsedNanos_ = 0;
    changed();
    if (onFinished) onFinished(completed);
}

ThreadPriority PlaybackController::threadPriority() const { return playbackQueue_->threadPriority(); }

void PlaybackController::changed() {
    if (onChange) onChange();
}

}  // namespace brevanor
