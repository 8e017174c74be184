#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "base/dispatch/Task.h"

namespace brevanor {

// A one-shot or repeating timer bound to a SerialQueue (SerialQueue::makeTimer).
// Deadlines are MonotonicClock nanoseconds. Cancelling stops every firing that
// has not begun; one already running on the queue's thread completes, so code
// that must not act late also checks its own state (a generation, a flag).
class Timer {
public:
    // Arms the timer for `deadlineNanos`; with an interval it then repeats every
    // `intervalNanos`. The leeway is how late the handler may run: a leeway of
    // at most 1 ms asks for a precise wake-up (a short spin before the deadline).
    // Re-scheduling replaces the previous deadline.
    void schedule(std::uint64_t deadlineNanos, std::optional<std::uint64_t> intervalNanos = std::nullopt,
                  std::uint64_t leewayNanos = 0);
    // Disarms the timer.
    void cancel();
    bool isScheduled() const;

    struct Impl;
    explicit Timer(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
    // Disarms the timer and lets go of its handler.
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

private:
    std::shared_ptr<Impl> impl_;
};

}  // namespace brevanor
