#include "cli/StallWitness.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "base/time/MonotonicClock.h"
#include "core/dispatch/ThreadPriority.h"

namespace brevanor {

namespace {

constexpr std::uint64_t kPeriodNanos = 1'000'000;
// A real-time thread woken on an idle machine runs within tens of microseconds; one this late was held.
constexpr std::uint64_t kLateNanos = 500'000;

// Holds the calling thread to `processor`, beside the real-time threads of Brevanor's own.
bool pinInRealTime(unsigned processor) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    if (pthread_setaffinity_np(pthread_self(), sizeof set, &set) != 0) return false;
    sched_param param{};
    param.sched_priority = ThreadPriority::realtimePriority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

void sleepUntil(std::uint64_t deadline) {
    const timespec at{static_cast<time_t>(deadline / 1'000'000'000), static_cast<long>(deadline % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

}  // namespace

StallWitness::StallWitness() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
    for (unsigned processor = 0; processor < CPU_SETSIZE; ++processor) {
        if (CPU_ISSET(processor, &allowed)) threads_.emplace_back([this, processor] { watch(processor); });
    }
    std::unique_lock lock(mutex_);
    startedChanged_.wait(lock, [&] { return started_ + refused_ == static_cast<int>(threads_.size()); });
    watching_ = refused_ == 0;
    if (!watching_) stopping_ = true;  // a partial watch would excuse what it did not see
}

StallWitness::~StallWitness() {
    stopping_ = true;
    for (std::thread& thread : threads_) thread.join();
}

std::vector<StallWitness::Stall> StallWitness::stalls() const {
    std::lock_guard lock(mutex_);
    return stalls_;
}

std::uint64_t StallWitness::coveredNanos(const std::vector<Stall>& stalls, std::uint64_t from, std::uint64_t until) {
    std::vector<Stall> parts;
    for (const Stall& stall : stalls) {
        if (stall.until > from && stall.from < until) {
            parts.push_back({std::max(stall.from, from), std::min(stall.until, until)});
        }
    }
    std::sort(parts.begin(), parts.end(), [](const Stall& a, const Stall& b) { return a.from < b.from; });
    std::uint64_t covered = 0;
    std::uint64_t reached = from;
    for (const Stall& part : parts) {
        if (part.until > reached) covered += part.until - std::max(part.from, reached);
        reached = std::max(reached, part.until);
    }
    return covered;
}

void StallWitness::watch(unsigned processor) {
    const bool pinned = pinInRealTime(processor);
    {
        std::lock_guard lock(mutex_);
        ++(pinned ? started_ : refused_);
    }
    startedChanged_.notify_all();
    if (!pinned) return;
    std::uint64_t deadline = MonotonicClock::now();
    std::optional<Stall> held;  // late wake-ups in a row
    while (!stopping_) {
        deadline += kPeriodNanos;
        sleepUntil(deadline);
        const std::uint64_t woke = MonotonicClock::now();
        if (woke >= deadline + kLateNanos) {
            // The next deadline counts from now: catching up on the missed ones would make wake-ups that only
            // show the backlog, on time or late, and cut or stretch the stall.
            if (!held) held = Stall{deadline, woke};
            held->until = woke;
            deadline = woke;
            continue;
        }
        if (held) note(*held);
        held.reset();
    }
    if (held) note(*held);
}

void StallWitness::note(const Stall& stall) {
    if (stall.length() < noticeableNanos) return;
    std::lock_guard lock(mutex_);
    if (stalls_.size() < kMaxStalls) stalls_.push_back(stall);
}

}  // namespace brevanor
