#pragma once

// The shared state of a SerialQueue and its timers. Internal to core/dispatch.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/dispatch/SerialQueue.h"
#include "core/dispatch/SerialQueueTimer.h"

namespace brevanor {

struct SerialQueueTimer::Impl {
    std::weak_ptr<SerialQueue::State> queue;
    Task handler;
    // Guarded by the queue's mutex.
    bool armed = false;
    std::uint64_t deadline = 0;
    std::optional<std::uint64_t> interval;
    std::uint64_t leeway = 0;
};

struct SerialQueue::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Task> tasks;
    std::vector<std::weak_ptr<SerialQueueTimer::Impl>> timers;
    bool stopping = false;
};

}  // namespace brevanor
