#include "platform/fake/FakeDisplayService.h"

namespace brevanor {

FakeDisplayService::FakeDisplayService(std::vector<DisplayInfo> displays) : displays(std::move(displays)) {}

std::vector<DisplayInfo> FakeDisplayService::activeDisplays() { return displays; }

}  // namespace brevanor
