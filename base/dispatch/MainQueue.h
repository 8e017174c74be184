#pragma once

#include <cstdint>

#include "base/dispatch/Task.h"

namespace brevanor {

// The main thread's queue. Every callback delivered "on the main thread" goes
// through it. The application installs one backed by its event loop; tests use
// ManualMainQueue and drain it themselves.
class MainQueue {
public:
    virtual ~MainQueue() = default;

    // Runs `task` on the main thread after everything posted before it. Callable from any thread.
    virtual void post(Task task) = 0;
    // Runs `task` on the main thread no sooner than `delayNanos` from now. Callable from any thread.
    virtual void postAfter(std::uint64_t delayNanos, Task task) = 0;
};

}  // namespace brevanor
