#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/dispatch/MainQueue.h"
#include "base/time/Clock.h"
#include "core/model/Recording.h"

namespace brevanor {

class EventRecorder;
class InputEventTap;

// One recording from request to finish, as the application and the command
// line both run it: the countdown, the recorder on the system-wide listener,
// the running counters, and the finished recording. What stops it (shortcuts,
// the Esc hold, a signal) is the front end's; so are the listener's start and
// the messages. Main thread only: the countdown and the counters are delayed
// main-queue tasks and read the given clock, so a test's manual queue decides
// when a second has passed.
class RecordingController : public std::enable_shared_from_this<RecordingController> {
public:
    enum class Phase { idle, countdown, recording };

    static constexpr std::uint64_t countdownStepNanos = 1'000'000'000;
    static constexpr std::uint64_t counterRefreshNanos = 100'000'000;

    // `now` reads MonotonicClock (or a test's clock in the same units).
    static std::shared_ptr<RecordingController> make(std::shared_ptr<InputEventTap> tap,
                                                     std::shared_ptr<MainQueue> mainQueue,
                                                     std::shared_ptr<EventRecorder> recorder, Clock now);

    Phase phase() const { return phase_; }
    // Seconds still to wait (countdown only).
    std::int64_t remaining() const { return remaining_; }
    // Since the recording began, and the events captured so far; refreshed every counterRefreshNanos.
    std::uint64_t elapsedNanos() const { return elapsedNanos_; }
    std::int64_t eventCount() const { return eventCount_; }

    // Called after every change of the phase, the countdown or the counters.
    std::function<void()> onChange;

    // idle: a countdown of `seconds`, one step a second, then the recording;
    // below one second the recording begins at once, and the press of
    // `triggerKeyCode` (the shortcut's key that asked for it) is not part of it.
    // Otherwise nothing.
    void request(std::int64_t seconds, std::optional<std::uint16_t> triggerKeyCode = std::nullopt);
    // countdown: the recording begins now (the rest of the countdown is
    // skipped), without the press of `triggerKeyCode`.
    void beginNow(std::optional<std::uint16_t> triggerKeyCode = std::nullopt);
    // countdown: back to idle, nothing recorded.
    void cancelCountdown();
    // recording: ends it and answers what was recorded, without what came from
    // `cutoff` on (the press of the key that stopped it, whose trailing
    // keystrokes of `stopKeyCode` are dropped too). Back to idle. Otherwise nothing.
    std::optional<Recording> finish(std::optional<std::uint64_t> cutoff, std::optional<std::uint16_t> stopKeyCode);

private:
    RecordingController(std::shared_ptr<InputEventTap> tap, std::shared_ptr<MainQueue> mainQueue,
                        std::shared_ptr<EventRecorder> recorder, Clock now);
    void begin(std::optional<std::uint16_t> triggerKeyCode);
    void scheduleCountdownStep();
    void countdownStep();
    void scheduleCounterRefresh();
    void changed();

    const std::shared_ptr<InputEventTap> tap_;
    const std::shared_ptr<MainQueue> mainQueue_;
    const std::shared_ptr<EventRecorder> recorder_;
    const Clock now_;

    Phase phase_ = Phase::idle;
    std::int64_t remaining_ = 0;
    std::uint64_t startedAt_ = 0;
    std::uint64_t elapsedNanos_ = 0;
    std::int64_t eventCount_ = 0;
    // Delayed tasks cannot be taken back: each carries the generation it was
    // armed under and does nothing once the phase has moved on.
    std::uint64_t generation_ = 0;
};

}  // namespace brevanor
