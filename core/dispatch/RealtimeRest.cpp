#include "core/dispatch/RealtimeRest.h"

#include <time.h>

#include "core/capture/MonotonicClock.h"

namespace brevanor {

namespace {

// Long enough that the timer has not expired before the thread is switched out
// (a sleep that ends before it starts does not count), short enough to go unnoticed.
constexpr long kRestNanos = 20'000;

}  // namespace

RealtimeRest::RealtimeRest(std::optional<std::uint64_t> longestRunNanos, std::uint64_t now) : sleptAt_(now) {
    if (longestRunNanos) interval_ = *longestRunNanos / 4;
}

void RealtimeRest::rest() {
    const timespec pause{0, kRestNanos};
    nanosleep(&pause, nullptr);
    sleptAt_ = MonotonicClock::now();
}

}  // namespace brevanor
