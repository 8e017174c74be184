#include "cli/LoopMainQueue.h"

#include <chrono>

#include "base/time/MonotonicClock.h"
#include "core/model/SaturatingMath.h"

namespace brevanor {

void LoopMainQueue::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        ready_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void LoopMainQueue::postAfter(std::uint64_t delayNanos, Task task) {
    {
        std::lock_guard lock(mutex_);
        delayed_.emplace(std::pair(saturatingAdd(MonotonicClock::now(), delayNanos), sequence_++), std::move(task));
    }
    wake_.notify_one();
}

void LoopMainQueue::runUntil(const std::function<bool()>& done) {
    while (!done()) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            while (!task) {
                if (!delayed_.empty() && delayed_.begin()->first.first <= MonotonicClock::now()) {
                    // Due delayed tasks join the end of the line, behind what was posted before they fell due.
                    ready_.push_back(std::move(delayed_.begin()->second));
                    delayed_.erase(delayed_.begin());
                    continue;
                }
                if (!ready_.empty()) {
                    task = std::move(ready_.front());
                    ready_.pop_front();
                } else if (delayed_.empty()) {
                    wake_.wait(lock);
                } else {
                    // steady_clock is CLOCK_MONOTONIC on Linux, the clock of MonotonicClock.
                    const auto deadline =
                        std::chrono::steady_clock::time_point(std::chrono::nanoseconds(delayed_.begin()->first.first));
                    wake_.wait_until(lock, deadline);
                }
            }
        }
        task();
    }
}

}  // namespace brevanor
