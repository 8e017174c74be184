#include "brevanor/platform/PlatformServices.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11InputInjector.h"
#include "platform/x11/X11InputSource.h"
#include "platform/x11/X11SyntheticJournal.h"

namespace brevanor {

PlatformServices makePlatformServices(std::shared_ptr<MainQueue>) {
    // Fails here, with a clear error, when there is no X display at all.
    { X11Connection probe; }

    // The injector notes what it posts; the listener reads those events back as Brevanor's own.
    auto journal = std::make_shared<X11SyntheticJournal>();
    PlatformServices services;
    services.inputSource = std::make_shared<X11InputSource>(std::string(), journal);
    services.injector = std::make_shared<X11InputInjector>(std::string(), journal);
    return services;
}

}  // namespace brevanor
