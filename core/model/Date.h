#pragma once

#include <chrono>

namespace brevanor {

// A point in wall-clock time (creation dates). Capture and playback times are
// monotonic nanoseconds instead, never dates.
using Date = std::chrono::system_clock::time_point;

}  // namespace brevanor
