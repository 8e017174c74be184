#pragma once

#include <cstdint>
#include <limits>

namespace brevanor {

// Sums of recorded times can only pass the 64-bit range with hand-edited
// documents; they stop at the largest value instead of wrapping into a small one.
constexpr std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t sum = a + b;
    return sum < a ? std::numeric_limits<std::uint64_t>::max() : sum;
}

// a - b, or 0 when b is larger.
constexpr std::uint64_t saturatingSubtract(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : 0; }

}  // namespace brevanor
