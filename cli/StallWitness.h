#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace brevanor {

// Sees when the machine itself stood still. One thread per processor, held to it and
// scheduled in real time at the level of Brevanor's own player, sleeps to absolute
// deadlines a millisecond apart. Wake-ups that came half a millisecond late or more, one
// after the other, make one stall, noted when it lasted 2 ms or more: a host that lets the
// machine run for a few microseconds every few milliseconds holds it as surely as one that
// stops it, though no single wake-up comes 2 ms late. No ordinary program can keep such a
// thread from its processor, and the real-time programs of a replay (the player, the X
// server) give it back soon: the player spins at most a millisecond before an event, once,
// and posts it in microseconds. So while it was that late, the hypervisor or the kernel
// held the processor, and whatever was due on it then (a replayed event, the X server
// handling it, the logger) was held up by them, not by the program being measured. It does
// not rank above the player: when a stopped machine resumes, every witness is overdue at
// once, and one that ranked higher would take the processor from the player each time,
// making the replay it watches late. Where the system refuses real-time scheduling or the
// pinning, the witness watches nothing: an ordinary thread's late wake-up could be any
// busy program's doing.
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
    // How much of [from, until) `stalls` cover, overlapping ones counted once.
    static std::uint64_t coveredNanos(const std::vector<Stall>& stalls, std::uint64_t from, std::uint64_t until);

private:
    void watch(unsigned processor);
    void note(const Stall& stall);

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
