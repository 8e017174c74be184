#pragma once

#include <cstdint>

#include "base/values/FrameRect.h"

namespace brevanor {

// One active display: its platform id, bounds in global points and backing scale.
struct DisplayInfo {
    std::uint32_t id = 0;
    FrameRect frame;
    double scale = 1.0;

    friend bool operator==(const DisplayInfo&, const DisplayInfo&) = default;
};

}  // namespace brevanor
