#include "core/capture/InputEventTap.h"

#include <algorithm>

#include "core/capture/InputEventTapError.h"

namespace brevanor {

InputEventTap::InputEventTap(std::shared_ptr<InputSource> source) : source_(std::move(source)) {}

InputEventTap::~InputEventTap() { stop(); }

void InputEventTap::start() {
    // Only other start and stop calls wait here while the source comes up;
    // delivery and consumer registration go on.
    std::lock_guard lifecycle(lifecycleMutex_);
    if (running_.load()) return;
    // The source calls the sink on its own thread and must return quickly, so the
    // sink only queues the event. It is not called once the source has stopped,
    // which the destructor does before this object goes away.
    const bool started = source_ && source_->start([this](const TapEvent& event) {
        deliveryQueue_.async([this, event] { deliver(event); });
    });
    if (!started) throw InputEventTapError::creationFailed();
    running_.store(true);
}

void InputEventTap::stop() {
    std::lock_guard lifecycle(lifecycleMutex_);
    if (!running_.load()) return;
    source_->stop();
    running_.store(false);
}

void InputEventTap::addConsumer(const std::shared_ptr<InputEventConsumer>& consumer) {
    if (!consumer) return;
    std::lock_guard lock(consumersMutex_);
    std::erase_if(consumers_, [&](const std::weak_ptr<InputEventConsumer>& entry) {
        const auto existing = entry.lock();
        return !existing || existing == consumer;
    });
    consumers_.push_back(consumer);
}

void InputEventTap::removeConsumer(const InputEventConsumer& consumer) {
    std::lock_guard lock(consumersMutex_);
    std::erase_if(consumers_, [&](const std::weak_ptr<InputEventConsumer>& entry) {
        const auto existing = entry.lock();
        return !existing || existing.get() == &consumer;
    });
}

void InputEventTap::deliver(const TapEvent& event) {
    // A local list: the last reference to a consumer may go with it, and that
    // consumer may hold the last reference to this listener.
    std::vector<std::shared_ptr<InputEventConsumer>> batch;
    {
        std::lock_guard lock(consumersMutex_);
        batch.reserve(consumers_.size());
        for (const auto& entry : consumers_) {
            if (auto consumer = entry.lock()) batch.push_back(std::move(consumer));
        }
    }
    // Consumers run without the lock, so they may register or unregister meanwhile.
    for (const auto& consumer : batch) {
        try {
            consumer->consume(event);
        } catch (...) {
            // A failing consumer loses this one event; the others and the queue go on.
        }
    }
}

}  // namespace brevanor
