#pragma once

#include <memory>

#include "base/platform/PlatformServices.h"

namespace brevanor {

// Every service of the X11 backend, on $DISPLAY. Throws PlatformUnavailableError
// when the display cannot be opened.
PlatformServices makeX11PlatformServices(std::shared_ptr<MainQueue> mainQueue);

}  // namespace brevanor
