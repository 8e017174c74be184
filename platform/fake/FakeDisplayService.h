#pragma once

#include <vector>

#include "base/platform/DisplayService.h"

namespace brevanor {

// Displays set by the test.
class FakeDisplayService final : public DisplayService {
public:
    explicit FakeDisplayService(std::vector<DisplayInfo> displays = {});

    std::vector<DisplayInfo> activeDisplays() override;

    std::vector<DisplayInfo> displays;
};

}  // namespace brevanor
