#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "core/dispatch/Timer.h"

namespace brevanor {

// A timer of a SerialQueue (SerialQueue::makeTimer), on MonotonicClock. A
// leeway of at most 1 ms makes the queue wake early and spin to the deadline.
class SerialQueueTimer final : public Timer {
public:
    struct Impl;
    explicit SerialQueueTimer(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
    ~SerialQueueTimer() override;
    SerialQueueTimer(const SerialQueueTimer&) = delete;
    SerialQueueTimer& operator=(const SerialQueueTimer&) = delete;

    void schedule(std::uint64_t deadlineNanos, std::optional<std::uint64_t> intervalNanos = std::nullopt,
                  std::uint64_t leewayNanos = 0) override;
    void cancel() override;
    bool isScheduled() const override;

private:
    std::shared_ptr<Impl> impl_;
};

}  // namespace brevanor
