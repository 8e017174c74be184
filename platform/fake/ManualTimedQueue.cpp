#include "platform/fake/ManualTimedQueue.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "core/model/SaturatingMath.h"

namespace brevanor {

namespace {

struct TimerState {
    Task handler;
    // Guarded by the queue's mutex.
    bool armed = false;
    std::uint64_t deadline = 0;
    std::optional<std::uint64_t> interval;
};

}  // namespace

struct ManualTimedQueue::State {
    std::mutex mutex;
    std::uint64_t now = 0;
    std::deque<Task> tasks;
    std::vector<std::weak_ptr<TimerState>> timers;

    // The armed timer with the earliest deadline, if any; drops timers that no longer exist.
    std::shared_ptr<TimerState> earliestTimer() {
        std::erase_if(timers, [](const std::weak_ptr<TimerState>& weak) { return weak.expired(); });
        std::shared_ptr<TimerState> earliest;
        for (const auto& weak : timers) {
            auto timer = weak.lock();
            if (timer && timer->armed && (!earliest || timer->deadline < earliest->deadline)) earliest = timer;
        }
        return earliest;
    }
};

namespace {

class ManualTimer final : public Timer {
public:
    ManualTimer(std::weak_ptr<ManualTimedQueue::State> queue, std::shared_ptr<TimerState> state)
        : queue_(std::move(queue)), state_(std::move(state)) {}

    ~ManualTimer() override {
        // Destroyed after the lock is let go: the handler may hold the last
        // reference to an owner that uses this queue as it goes.
        Task handler;
        if (auto queue = queue_.lock()) {
            std::lock_guard lock(queue->mutex);
            state_->armed = false;
            handler = std::move(state_->handler);
        }
    }

    void schedule(std::uint64_t deadlineNanos, std::optional<std::uint64_t> intervalNanos, std::uint64_t) override {
        if (auto queue = queue_.lock()) {
            std::lock_guard lock(queue->mutex);
            state_->armed = true;
            state_->deadline = deadlineNanos;
            state_->interval = intervalNanos;
        }
    }

    void cancel() override {
        if (auto queue = queue_.lock()) {
            std::lock_guard lock(queue->mutex);
            state_->armed = false;
        }
    }

    bool isScheduled() const override {
        auto queue = queue_.lock();
        if (!queue) return false;
        std::lock_guard lock(queue->mutex);
        return state_->armed;
    }

private:
    std::weak_ptr<ManualTimedQueue::State> queue_;
    std::shared_ptr<TimerState> state_;
};

}  // namespace

ManualTimedQueue::ManualTimedQueue(std::uint64_t startNanos) : state_(std::make_shared<State>()) {
    state_->now = startNanos;
}

void ManualTimedQueue::async(Task task) {
    std::lock_guard lock(state_->mutex);
    state_->tasks.push_back(std::move(task));
}

std::shared_ptr<Timer> ManualTimedQueue::makeTimer(Task handler) {
    auto timer = std::make_shared<TimerState>();
    timer->handler = std::move(handler);
    std::lock_guard lock(state_->mutex);
    state_->timers.push_back(timer);
    return std::make_shared<ManualTimer>(state_, timer);
}

std::uint64_t ManualTimedQueue::now() const {
    std::lock_guard lock(state_->mutex);
    return state_->now;
}

bool ManualTimedQueue::runOneDue() {
    Task work;
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->tasks.empty()) {
            work = std::move(state_->tasks.front());
            state_->tasks.pop_front();
        } else {
            const auto timer = state_->earliestTimer();
            if (!timer || timer->deadline > state_->now) return false;
            if (timer->interval) {
                timer->deadline = saturatingAdd(timer->deadline, *timer->interval);
            } else {
                timer->armed = false;
            }
            work = timer->handler;
        }
    }
    work();
    return true;
}

void ManualTimedQueue::runReady() {
    while (runOneDue()) continue;
}

void ManualTimedQueue::advanceBy(std::uint64_t nanos) {
    runReady();
    const std::uint64_t target = saturatingAdd(now(), nanos);
    while (true) {
        {
            std::lock_guard lock(state_->mutex);
            const auto timer = state_->earliestTimer();
            if (!timer || timer->deadline > target) {
                state_->now = target;
                break;
            }
            state_->now = std::max(state_->now, timer->deadline);
        }
        runReady();
    }
}

void ManualTimedQueue::advanceWithoutRunning(std::uint64_t nanos) {
    std::lock_guard lock(state_->mutex);
    state_->now = saturatingAdd(state_->now, nanos);
}

}  // namespace brevanor
