#pragma once

#include <cstdint>

namespace brevanor {

// The clock of every capture and playback time: nanoseconds that do not
// advance while the machine sleeps (CLOCK_MONOTONIC on Linux).
namespace MonotonicClock {

std::uint64_t now();

}  // namespace MonotonicClock

}  // namespace brevanor
