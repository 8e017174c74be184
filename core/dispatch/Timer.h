#pragma once

#include <cstdint>
#include <optional>

#include "base/dispatch/Task.h"

namespace brevanor {

// A one-shot or repeating timer bound to a TimedQueue (TimedQueue::makeTimer).
// Deadlines are read on the queue's clock. Cancelling stops every firing that
// has not begun; one already running on the queue completes, so code that must
// not act late also checks its own state (a generation, a flag). Destroying the
// timer disarms it and lets go of its handler.
class Timer {
public:
    virtual ~Timer() = default;

    // Arms the timer for `deadlineNanos`; with an interval it then repeats every
    // `intervalNanos`. The leeway is how late the handler may run: a leeway of
    // at most 1 ms asks for a precise wake-up. Re-scheduling replaces the previous deadline.
    virtual void schedule(std::uint64_t deadlineNanos, std::optional<std::uint64_t> intervalNanos = std::nullopt,
                          std::uint64_t leewayNanos = 0) = 0;
    // Disarms the timer.
    virtual void cancel() = 0;
    virtual bool isScheduled() const = 0;
};

}  // namespace brevanor
