#pragma once

#include <vector>

#include "base/values/DisplayInfo.h"

namespace brevanor {

// The active displays of the session.
class DisplayService {
public:
    virtual ~DisplayService() = default;

    // The displays in the platform's order; empty when they cannot be read.
    virtual std::vector<DisplayInfo> activeDisplays() = 0;
};

}  // namespace brevanor
