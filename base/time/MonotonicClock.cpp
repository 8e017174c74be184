#include "base/time/MonotonicClock.h"

#include <time.h>

namespace brevanor::MonotonicClock {

std::uint64_t now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ULL + static_cast<std::uint64_t>(ts.tv_nsec);
}

}  // namespace brevanor::MonotonicClock
