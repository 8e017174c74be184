#pragma once

#include <memory>

#include "base/platform/PlatformServices.h"

namespace brevanor {

// Every service of the Wayland backend, on $WAYLAND_DISPLAY. Throws
// PlatformUnavailableError when no compositor answers there.
PlatformServices makeWaylandPlatformServices(std::shared_ptr<MainQueue> mainQueue);

}  // namespace brevanor
