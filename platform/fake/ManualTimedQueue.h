#pragma once

#include <cstdint>
#include <memory>

#include "core/dispatch/TimedQueue.h"

namespace brevanor {

// A timed queue that runs nothing by itself: work runs on the test's thread
// when the test drains the queue or moves its clock, so no test sleeps for a
// deadline. Tasks and schedules may come from any thread.
class ManualTimedQueue final : public TimedQueue {
public:
    explicit ManualTimedQueue(std::uint64_t startNanos = 0);

    void async(Task task) override;
    std::shared_ptr<Timer> makeTimer(Task handler) override;
    std::uint64_t now() const override;

    // Runs every task and every timer due now, including work they add.
    void runReady();
    // Moves the clock forward, running each timer as it falls due with the clock
    // at its deadline, and the tasks that follow from it.
    void advanceBy(std::uint64_t nanos);
    // Moves the clock forward and runs nothing, as when a step holds the queue
    // up: whatever falls due meanwhile runs late. Callable from a running task.
    void advanceWithoutRunning(std::uint64_t nanos);

    struct State;

private:
    bool runOneDue();

    std::shared_ptr<State> state_;
};

}  // namespace brevanor
