#pragma once

#include <cstdint>

namespace brevanor {

// The scroll data of one listened scroll event: line and pixel deltas per axis,
// continuity, and the platform's phase codes passed through unchanged.
struct ScrollPayload {
    std::int64_t deltaX = 0;
    std::int64_t deltaY = 0;
    std::int64_t pointDeltaX = 0;
    std::int64_t pointDeltaY = 0;
    bool isContinuous = false;
    std::uint32_t scrollPhase = 0;
    std::uint32_t momentumPhase = 0;

    friend bool operator==(const ScrollPayload&, const ScrollPayload&) = default;
};

}  // namespace brevanor
