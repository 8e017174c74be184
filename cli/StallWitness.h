#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace brevanor {

// Sees when the machine itself stood still. One thread per processor, held to it and
// scheduled in real time above Brevanor's own player, sleeps to absolute deadlines a
// millisecond apart and notes every wake-up that came late. Nothing of ours can keep such
// a thread from its processor, so while it was late nothing ran there: whatever was due
// on that processor then (a replayed event, the X server handling it, the logger) was
// held up by the hypervisor or the kernel, not by the program being measured.
// Where the system refuses real-time scheduling or the pinning, the witness watches
// nothing: an ordinary thread's late wake-up could be any busy program's doing.
class StallWitness {
public:
    struct Stall {
        std::uint64_t from = 0;   // the deadline that was missed (monotonic nanoseconds)
        std::uint64_t until = 0;  // when the thread ran again

        std::uint64_t length() const { return until - from; }
    };
    // Shorter delays are a woken thread's usual latency on a virtual machine.
    static constexpr std::uint64_t noticeableNanos = 2'000'000;

    StallWitness();
    ~StallWitness();
    StallWitness(const StallWitness&) = delete;
    StallWitness& operator=(const StallWitness&) = delete;

    // Whether every processor has its watching thread.
    bool isWatching() const { return watching_; }
    // The stalls seen so far, in no particular order.
    std::vector<Stall> stalls() const;

private:
    void watch(unsigned processor);

    static constexpr std::size_t kMaxStalls = 100'000;  // a day's worth on a bad machine

    std::atomic<bool> stopping_{false};
    bool watching_ = false;
    mutable std::mutex mutex_;
    std::vector<Stall> stalls_;
    int refused_ = 0;
    int started_ = 0;
    std::condition_variable startedChanged_;
    std::vector<std::thread> threads_;
};

}  // namespace brevanor
