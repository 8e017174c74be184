#pragma once

#include <cstdint>

namespace brevanor {

// Idle time cut off the start and the end of a recording at playback; zero means untrimmed.
struct TrimRange {
    std::uint64_t leadingNanos = 0;
    std::uint64_t trailingNanos = 0;

    friend bool operator==(const TrimRange&, const TrimRange&) = default;
};

}  // namespace brevanor
