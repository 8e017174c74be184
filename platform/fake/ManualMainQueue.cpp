#include "platform/fake/ManualMainQueue.h"

#include "core/model/SaturatingMath.h"

namespace brevanor {

void ManualMainQueue::post(Task task) {
    std::lock_guard lock(mutex_);
    ready_.push_back(std::move(task));
}

void ManualMainQueue::postAfter(std::uint64_t delayNanos, Task task) {
    std::lock_guard lock(mutex_);
    // A delay past the clock's range means "never", not a wrap into the past.
    delayed_.emplace(std::make_pair(saturatingAdd(now_, delayNanos), sequence_++), std::move(task));
}

bool ManualMainQueue::runOneDue() {
    Task task;
    {
        std::lock_guard lock(mutex_);
        // Delayed tasks that fell due join the ready ones in deadline order.
        while (!delayed_.empty() && delayed_.begin()->first.first <= now_) {
            ready_.push_back(std::move(delayed_.begin()->second));
            delayed_.erase(delayed_.begin());
        }
        if (ready_.empty()) return false;
        task = std::move(ready_.front());
        ready_.pop_front();
    }
    task();
    return true;
}

int ManualMainQueue::runReady() {
    int count = 0;
    while (runOneDue()) ++count;
    return count;
}

int ManualMainQueue::advanceBy(std::uint64_t nanos) {
    int count = runReady();
    std::uint64_t target;
    {
        std::lock_guard lock(mutex_);
        target = saturatingAdd(now_, nanos);
    }
    while (true) {
        {
            std::lock_guard lock(mutex_);
            if (delayed_.empty() || delayed_.begin()->first.first > target) {
                now_ = target;
                break;
            }
            now_ = delayed_.begin()->first.first;
        }
        count += runReady();
    }
    return count + runReady();
}

std::uint64_t ManualMainQueue::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

std::size_t ManualMainQueue::pendingCount() const {
    std::lock_guard lock(mutex_);
    return ready_.size() + delayed_.size();
}

}  // namespace brevanor
