#include "core/dispatch/SerialQueueTimer.h"

#include "core/dispatch/SerialQueueState.h"

namespace brevanor {

void SerialQueueTimer::schedule(std::uint64_t deadlineNanos, std::optional<std::uint64_t> intervalNanos,
                                std::uint64_t leewayNanos) {
    auto queue = impl_->queue.lock();
    if (!queue) return;
    {
        std::lock_guard lock(queue->mutex);
        impl_->armed = true;
        impl_->deadline = deadlineNanos;
        impl_->interval = intervalNanos;
        impl_->leeway = leewayNanos;
    }
    queue->wake.notify_all();
}

void SerialQueueTimer::cancel() {
    auto queue = impl_->queue.lock();
    if (!queue) return;
    std::lock_guard lock(queue->mutex);
    impl_->armed = false;
}

SerialQueueTimer::~SerialQueueTimer() {
    auto queue = impl_->queue.lock();
    if (!queue) return;
    Task handler;
    {
        std::lock_guard lock(queue->mutex);
        impl_->armed = false;
        handler = std::move(impl_->handler);
        impl_->handler = nullptr;
    }
    // Destroyed here, without the queue's lock: the queue's thread may still hold
    // the timer's state for a moment and must not end up destroying the handler.
}

bool SerialQueueTimer::isScheduled() const {
    auto queue = impl_->queue.lock();
    if (!queue) return false;
    std::lock_guard lock(queue->mutex);
    return impl_->armed;
}

}  // namespace brevanor
