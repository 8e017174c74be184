#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "base/dispatch/MainQueue.h"

namespace brevanor {

// The main queue of a command-line program: the main thread runs its tasks
// while it waits in runUntil(), and nowhere else. Delayed tasks fall due on
// the monotonic clock.
class LoopMainQueue final : public MainQueue {
public:
    void post(Task task) override;
    void postAfter(std::uint64_t delayNanos, Task task) override;

    // Runs tasks as they come, in order, until `done` answers true; `done` is
    // asked before the first wait and after every task. Main thread only.
    void runUntil(const std::function<bool()>& done);

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::uint64_t sequence_ = 0;
    std::deque<Task> ready_;
    std::multimap<std::pair<std::uint64_t, std::uint64_t>, Task> delayed_;  // (deadline, sequence) -> task
};

}  // namespace brevanor
