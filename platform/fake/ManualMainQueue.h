#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

#include "base/dispatch/MainQueue.h"

namespace brevanor {

// A main queue that runs nothing by itself: tests drain it, and delayed tasks
// fall due on its own virtual clock, so no test sleeps for a deadline.
class ManualMainQueue final : public MainQueue {
public:
    void post(Task task) override;
    void postAfter(std::uint64_t delayNanos, Task task) override;

    // Runs every task that is due now, including ones they post; returns how many ran.
    int runReady();
    // Moves the virtual clock forward, running each delayed task in deadline order as it falls due.
    int advanceBy(std::uint64_t nanos);
    // Nanoseconds of virtual time since construction.
    std::uint64_t now() const;
    // Tasks waiting, due or not.
    std::size_t pendingCount() const;

private:
    bool runOneDue();

    mutable std::mutex mutex_;
    std::uint64_t now_ = 0;
    std::uint64_t sequence_ = 0;
    std::deque<Task> ready_;
    std::multimap<std::pair<std::uint64_t, std::uint64_t>, Task> delayed_;  // (deadline, sequence) -> task
};

}  // namespace brevanor
