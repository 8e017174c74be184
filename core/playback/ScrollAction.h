#pragma once

#include <cstdint>

namespace brevanor {

// One scroll to replay: the position (already mapped onto the current screens),
// line and pixel deltas per axis, continuity, the platform's phase codes and the
// modifier flags, all as they were recorded.
struct ScrollAction {
    double x = 0;
    double y = 0;
    std::int64_t deltaX = 0;
    std::int64_t deltaY = 0;
    std::int64_t pointDeltaX = 0;
    std::int64_t pointDeltaY = 0;
    bool isContinuous = false;
    std::uint32_t scrollPhase = 0;
    std::uint32_t momentumPhase = 0;
    std::uint64_t modifiers = 0;

    friend bool operator==(const ScrollAction&, const ScrollAction&) = default;
};

}  // namespace brevanor
