#include "platform/x11/X11PlatformServices.h"

#include "platform/x11/DesktopEntryCatalog.h"
#include "platform/x11/X11Applications.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11DisplayService.h"
#include "platform/x11/X11Ewmh.h"
#include "platform/x11/X11HeldInput.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11InputInjector.h"
#include "platform/x11/X11InputSource.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11PermissionService.h"
#include "platform/x11/X11SecureInput.h"
#include "platform/x11/X11SyntheticJournal.h"
#include "platform/x11/X11WindowAccess.h"
#include "platform/x11/X11WorkspaceService.h"
#include "platform/x11/XdgLoginItem.h"

namespace brevanor {

PlatformServices makeX11PlatformServices(std::shared_ptr<MainQueue> mainQueue) {
    // Throws PlatformUnavailableError, with a clear message, when there is no X display.
    auto connection = std::make_shared<X11Connection>();
    const std::string display;  // $DISPLAY, for the services that open connections of their own

    // Every Brevanor process on the display notes what it posts; every listener reads those events back as Brevanor's.
    auto journal = X11SyntheticJournal::forDisplay(display);
    auto applications = std::make_shared<X11Applications>(
        std::make_shared<X11Ewmh>(connection),
        std::make_shared<DesktopEntryCatalog>(DesktopEntryCatalog::defaultApplicationFolders()));

    PlatformServices services;
    services.inputSource = std::make_shared<X11InputSource>(display, journal);
    services.injector = std::make_shared<X11InputInjector>(display, journal);
    services.displays = std::make_shared<X11DisplayService>(connection);
    services.workspace = std::make_shared<X11WorkspaceService>(applications);
    services.windows = std::make_shared<X11WindowAccess>(applications);
    services.keyboard = std::make_shared<X11KeyboardLayout>(display);
    services.secureInput = std::make_shared<X11SecureInput>(display);
    services.permissions = std::make_shared<X11PermissionService>(display);
    services.hotKeys = std::make_shared<X11HotKeyService>(display, std::move(mainQueue));
    services.loginItem =
        std::make_shared<XdgLoginItem>(XdgLoginItem::defaultEntryFile(), XdgLoginItem::runningProgram());
    services.heldInput = std::make_shared<X11HeldInput>(display);
    services.backend = PlatformBackend::x11;
    return services;
}

}  // namespace brevanor
