#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "base/dispatch/MainQueue.h"
#include "core/dispatch/SerialQueue.h"
#include "core/dispatch/TimedQueue.h"
#include "core/dispatch/Timer.h"
#include "core/playback/EventPoster.h"
#include "core/playback/PlaybackOptions.h"
#include "core/playback/ReplayFidelity.h"
#include "core/playback/ScheduledAction.h"

namespace brevanor {

// Plays scheduled actions in real time through the event poster, once or
// repeatedly, on the timed queue it is given and by that queue's clock. A
// one-shot timer is armed for each next deadline, computed from a fixed anchor,
// so errors never accumulate; a late wake-up posts every overdue action at once.
// Any stop, from any thread, leaves no button or key pressed. Callbacks arrive
// on the main queue.
class PlaybackEngine : public std::enable_shared_from_this<PlaybackEngine> {
public:
    struct Progress {
        std::int64_t repeatIndex = 1;             // 1-based number of the run in progress
        std::optional<std::int64_t> repeatTotal;  // absent when repeating until stopped
        std::uint64_t elapsedNanos = 0;           // since the run's anchor; 0 while waiting before it
        friend bool operator==(const Progress&, const Progress&) = default;
    };

    static constexpr std::uint64_t progressIntervalNanos = 100'000'000;
    static constexpr std::uint64_t timerLeewayNanos = 1'000'000;

    // Its queue's steps and its callbacks hold the engine weakly, so it always lives in a shared_ptr.
    // The queue should be one of its own (SerialQueue::Priority::userInteractive), where
    // nothing else delays its steps.
    // `fidelity`, when given, hears of each action just before it is posted.
    static std::shared_ptr<PlaybackEngine> make(std::shared_ptr<EventPoster> poster,
                                                std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<TimedQueue> queue,
                                                std::shared_ptr<ReplayFidelity> fidelity = nullptr);
    // Releases whatever playback still holds pressed; steps still queued do nothing and no onFinished follows.
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Set on the main thread; called on the main queue while the engine exists.
    void setOnProgress(std::function<void(const Progress&)> onProgress) { onProgress_ = std::move(onProgress); }
    // true: every run completed; false: stopped. Once per started playback.
    void setOnFinished(std::function<void(bool completed)> onFinished) { onFinished_ = std::move(onFinished); }

    bool isPlaying() const;
    // Returns at once; playback runs on the engine's queue. Ignored while playing.
    void start(std::vector<ScheduledAction> actions, PlaybackOptions options);
    // Returns at once; the releases and onFinished(false) follow. Does nothing when not playing.
    // Callable from any thread.
    void stop();

private:
    PlaybackEngine(std::shared_ptr<EventPoster> poster, std::shared_ptr<MainQueue> mainQueue,
                   std::shared_ptr<TimedQueue> queue, std::shared_ptr<ReplayFidelity> fidelity);

    // Queue-only steps; `generation` identifies the playback they belong to.
    void begin(std::vector<ScheduledAction> actions, PlaybackOptions options, std::int64_t generation);
    void tick(std::int64_t generation);
    void finish(bool completed, std::int64_t generation);
    void reportProgress(std::uint64_t now, bool force);
    // A run's actions count from `anchorNanos` on, none of them gone out yet.
    void startRunAt(std::uint64_t anchorNanos);
    void arm(Timer& timer, std::size_t actionIndex);

    bool isCurrent(std::int64_t generation) const;
    void deliverFinished(bool completed);

    const std::shared_ptr<EventPoster> poster_;
    const std::shared_ptr<MainQueue> mainQueue_;
    const std::shared_ptr<TimedQueue> queue_;
    const std::shared_ptr<ReplayFidelity> fidelity_;
    // Touched on the main thread only.
    std::function<void(const Progress&)> onProgress_;
    std::function<void(bool)> onFinished_;

    mutable std::mutex mutex_;  // guards the three fields below and nothing else
    bool playing_ = false;
    std::int64_t generation_ = 0;
    std::shared_ptr<Timer> timer_;

    // Touched on the queue only.
    std::vector<ScheduledAction> actions_;
    PlaybackOptions options_;
    std::size_t index_ = 0;
    std::int64_t repeatIndex_ = 1;
    std::uint64_t anchorNanos_ = 0;
    // How much later than planned the current run started, and whether its first input event went out.
    std::uint64_t lateStartNanos_ = 0;
    bool runUnderway_ = false;
    std::uint64_t lastProgressNanos_ = 0;
};

}  // namespace brevanor
