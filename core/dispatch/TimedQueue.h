#pragma once

#include <cstdint>
#include <memory>

#include "base/dispatch/Task.h"
#include "core/dispatch/Timer.h"

namespace brevanor {

// Where work that must run one step at a time and on time runs: tasks in
// submission order, timers whose deadlines are read on the queue's own clock.
// SerialQueue runs it on a thread against MonotonicClock; ManualTimedQueue runs
// it when a test moves its clock.
class TimedQueue {
public:
    virtual ~TimedQueue() = default;

    // Runs `task` after everything submitted before it. Callable from any thread.
    virtual void async(Task task) = 0;
    // A timer whose handler runs on this queue; it does nothing until scheduled.
    virtual std::shared_ptr<Timer> makeTimer(Task handler) = 0;
    // The time on the clock that timer deadlines are read on.
    virtual std::uint64_t now() const = 0;
};

}  // namespace brevanor
