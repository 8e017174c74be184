#pragma once

#include <cstdint>

#include "base/values/ScrollPayload.h"

namespace brevanor {

// One scroll to replay: the position (already mapped onto the current screens),
// the scroll itself and the modifier flags, as they were recorded.
struct ScrollAction {
    double x = 0;
    double y = 0;
    ScrollPayload scroll;
    std::uint64_t modifiers = 0;

    friend bool operator==(const ScrollAction&, const ScrollAction&) = default;
};

}  // namespace brevanor
