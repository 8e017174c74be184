#pragma once

#include <cstdint>
#include <functional>

namespace brevanor {

// Reads the time in MonotonicClock nanoseconds: MonotonicClock::now in the
// programs, a clock the test moves by hand in tests.
using Clock = std::function<std::uint64_t()>;

}  // namespace brevanor
