#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/dispatch/MainQueue.h"
#include "base/platform/PlatformServices.h"
#include "base/time/Clock.h"
#include "core/capture/EnvironmentCapture.h"
#include "core/checks/PreflightWarning.h"
#include "core/checks/WindowRestorer.h"
#include "core/dispatch/ThreadPriority.h"
#include "core/model/Recording.h"
#include "core/playback/FidelityReport.h"
#include "core/playback/PlaybackOptions.h"

namespace brevanor {

class EventPoster;
class InputEventTap;
class PlaybackEngine;
class SerialQueue;
class ReleaseWait;
class ReplayFidelity;

// One playback from start to finish, as the application and the command line
// both run it: the warnings about a changed machine, putting the recorded
// window back, the wait for held keys, the schedule of actions and the
// engine, stopping, and letting go of everything held. How the warnings are
// put to the user, and what stops a playback, is the front end's. Main thread
// only; every callback arrives through the main queue.
class PlaybackController : public std::enable_shared_from_this<PlaybackController> {
public:
    enum class Phase { idle, preparing, playing };

    // What to put to the user before playing.
    struct Preflight {
        std::vector<PreflightWarning> warnings;  // without the kinds the recording silences
        // The recorded application is installed but not running, so playing may launch it.
        bool offerLaunch = false;
        std::string appName;  // the recorded front application's name, else its id, else empty
    };

    // `now` reads MonotonicClock (or a test's clock in the same units).
    static std::shared_ptr<PlaybackController> make(const PlatformServices& platform,
                                                    std::shared_ptr<MainQueue> mainQueue, Clock now);

    // The warnings for playing `recording` with `options` on this machine now.
    Preflight preflight(const Recording& recording, const PlaybackOptions& options) const;

    Phase phase() const { return phase_; }
    // playing: the pass under way (from 1), of how many (absent: until stopped), and its elapsed time.
    std::int64_t repeatIndex() const { return repeatIndex_; }
    std::optional<std::int64_t> repeatTotal() const { return repeatTotal_; }
    std::uint64_t elapsedNanos() const { return elapsedNanos_; }
    // Why the recorded window was not put back, once the attempt is over.
    const std::optional<std::string>& notice() const { return notice_; }
    // preparing: the first event waits for the user to let go of keys and buttons.
    bool isWaitingForRelease() const { return waitingForRelease_; }

    // After every change of anything above.
    std::function<void()> onChange;
    // Once per started playback, back in idle: true when every pass ran to its end.
    std::function<void(bool completed)> onFinished;

    // idle: begins `recording` with `options`. With `restoreWindow` the
    // recorded application is brought forward and its window put back first
    // (launched when `launchApp` and not running), unless the recording names
    // none or names this program. Then the wait for held keys, then the engine.
    // The recording is kept once, until its actions are scheduled.
    void start(Recording recording, const PlaybackOptions& options, bool restoreWindow, bool launchApp);
    // preparing: back to idle at once (a restore still under way then plays
    // nothing). playing: the engine stops and lets go of what it holds; idle
    // follows with its report.
    void stop();

    // The priority the system gave the thread that posts the events.
    ThreadPriority threadPriority() const;
    // From now on every playback is judged by its own events as `tap` hands them
    // back from the system, whenever the listener runs; see fidelity().
    void judgeBy(const std::shared_ptr<InputEventTap>& tap);
    // How faithfully `recording` came out the last time it played to an end or
    // was stopped, in this process; absent when no running listener judged it.
    // Ready before onFinished.
    std::optional<FidelityReport> fidelity(const Uuid& recording) const;

private:
    PlaybackController(const PlatformServices& platform, std::shared_ptr<MainQueue> mainQueue, Clock now);
    void startOnceReleased(std::shared_ptr<const Recording> recording, const PlaybackOptions& options,
                           std::uint64_t request);
    void play(const Recording& recording, const PlaybackOptions& options, std::uint64_t request);
    // The engine is done: once its last events came back from the system, judges them, then finishes.
    void judgeThenFinish(bool completed);
    void finish(bool completed);
    void changed();

    const std::shared_ptr<InputInjector> injector_;
    const std::shared_ptr<WorkspaceService> workspace_;
    const EnvironmentCapture environment_;
    const WindowRestorer windowRestorer_;
    std::shared_ptr<EventPoster> poster_;
    const std::shared_ptr<ReplayFidelity> replayFidelity_;
    // The engine's own queue: its thread posts the events, at a real-time priority where the system allows.
    const std::shared_ptr<SerialQueue> playbackQueue_;
    std::shared_ptr<PlaybackEngine> engine_;
    std::shared_ptr<ReleaseWait> releaseWait_;
    const std::shared_ptr<MainQueue> mainQueue_;
    std::weak_ptr<InputEventTap> judge_;

    Phase phase_ = Phase::idle;
    std::int64_t repeatIndex_ = 0;
    std::optional<std::int64_t> repeatTotal_;
    std::uint64_t elapsedNanos_ = 0;
    std::optional<std::string> notice_;
    bool waitingForRelease_ = false;
    std::optional<Uuid> playingRecording_;    // from start() to idle
    std::map<Uuid, FidelityReport> reports_;  // the last of each recording played
    // Counts start requests, so that a window restore that outlives its request
    // never starts a later one's playback.
    std::uint64_t requests_ = 0;
};

}  // namespace brevanor
