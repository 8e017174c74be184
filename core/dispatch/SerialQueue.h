#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "base/dispatch/Task.h"
#include "core/dispatch/ThreadPriority.h"
#include "core/dispatch/TimedQueue.h"

namespace brevanor {

// One thread that runs tasks one at a time in submission order, and the timers
// bound to it, on MonotonicClock. The thread carries the label as its name.
// Destroying the queue finishes the task in progress, discards pending work and
// joins the thread.
class SerialQueue final : public TimedQueue {
public:
    // How urgently the queue's work must run. `userInteractive` asks for a real-time
    // priority for the queue's thread, so that it wakes on time on a busy machine; where
    // the system does not grant it, the thread gets what it can (ThreadPriority).
    enum class Priority { normal, userInteractive };

    explicit SerialQueue(std::string label, Priority priority = Priority::normal);
    ~SerialQueue() override;
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void async(Task task) override;
    std::shared_ptr<Timer> makeTimer(Task handler) override;
    std::uint64_t now() const override;

    const std::string& label() const { return label_; }
    // The priority the queue's thread got; waits until the thread has asked for it.
    ThreadPriority threadPriority() const { return threadPriority_.get(); }
    // True when called from this queue's own thread.
    bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

    struct State;

private:
    std::string label_;
    std::shared_ptr<State> state_;
    std::shared_future<ThreadPriority> threadPriority_;
    std::thread thread_;
};

}  // namespace brevanor
