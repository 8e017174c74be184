#include <sys/resource.h>
#include <time.h>

#include "base/time/MonotonicClock.h"
#include "core/dispatch/RealtimeRest.h"

namespace brevanor {

namespace {

// Where the rest starts. A sleep whose timer has run out before the thread is
// switched out (a virtual machine may take that long just to arm the timer)
// does not leave the processor, so each try that did not leave it sleeps twice
// as long, up to the longest.
constexpr long kFirstRestNanos = 20'000;
constexpr long kLongestRestNanos = 1'000'000;

// How often this thread gave up the processor of its own accord: the kernel
// starts its count of real-time running afresh exactly then.
long voluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

}  // namespace

RealtimeRest::RealtimeRest(std::optional<std::uint64_t> longestRunNanos, std::uint64_t now) : sleptAt_(now) {
    if (longestRunNanos) interval_ = *longestRunNanos / 4;
}

void RealtimeRest::rest() {
    const long before = voluntarySwitches();
    for (long pause = kFirstRestNanos; voluntarySwitches() == before && pause <= kLongestRestNanos; pause *= 2) {
        const timespec duration{0, pause};
        nanosleep(&duration, nullptr);
    }
    sleptAt_ = MonotonicClock::now();
}

}  // namespace brevanor
