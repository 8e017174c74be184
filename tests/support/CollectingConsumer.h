#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

#include "core/capture/InputEventConsumer.h"

namespace brevanor::testing {

// A consumer that keeps every event it receives and lets the test wait for them.
// `onConsume`, when set, runs first (on the delivery queue); an event it throws
// for is not kept, and a waiter for the event knows that it has run.
class CollectingConsumer : public InputEventConsumer {
public:
    void consume(const TapEvent& event) override {
        if (onConsume) onConsume(event);
        {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
        }
        changed_.notify_all();
    }

    std::vector<TapEvent> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }

    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return events_.size();
    }

    // True once at least `count` events arrived within `timeout`.
    bool waitForCount(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
    }

    std::function<void(const TapEvent&)> onConsume;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TapEvent> events_;
};

}  // namespace brevanor::testing
