#include "brevanor/platform/PlatformServices.h"

namespace brevanor {

PlatformServices makePlatformServices(std::shared_ptr<MainQueue>) {
    throw PlatformUnavailableError("the X11 backend is not available in this build yet");
}

}  // namespace brevanor
