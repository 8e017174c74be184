#pragma once

#include <cstdint>
#include <optional>

namespace brevanor {

// A real-time thread that runs longer than RLIMIT_RTTIME without sleeping is
// ended by the kernel, and a queue that spins towards close deadlines or works
// through a flood of tasks may never sleep on its own. This notes when the
// thread last slept and, once a quarter of the limit has gone by since, has it
// sleep for a moment, which starts the kernel's count afresh.
class RealtimeRest {
public:
    // The limit of the thread's priority (ThreadPriority::longestRunNanos); none: never due.
    explicit RealtimeRest(std::optional<std::uint64_t> longestRunNanos, std::uint64_t now);

    // The thread has just slept.
    void noteSlept(std::uint64_t now) { sleptAt_ = now; }
    bool isDue(std::uint64_t now) const { return interval_ && now - sleptAt_ >= *interval_; }
    // Sleeps until the thread has left the processor, and notes it.
    void rest();

private:
    std::optional<std::uint64_t> interval_;
    std::uint64_t sleptAt_;
};

}  // namespace brevanor
