#include "platform/wayland/WaylandPlatformServices.h"

#include "platform/wayland/DeviceHotKeyService.h"
#include "platform/wayland/EvdevInputSource.h"
#include "platform/wayland/KernelUinputNode.h"
#include "platform/wayland/PointerPositionProbe.h"
#include "platform/wayland/UinputInputInjector.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandDisplayService.h"
#include "platform/wayland/WaylandInputInjector.h"
#include "platform/wayland/WaylandKeyboardLayout.h"
#include "platform/wayland/WaylandPermissionService.h"
#include "platform/wayland/WaylandSecureInput.h"
#include "platform/wayland/WaylandWindowAccess.h"
#include "platform/wayland/WaylandWorkspaceService.h"
#include "platform/x11/XdgLoginItem.h"

namespace brevanor {

PlatformServices makeWaylandPlatformServices(std::shared_ptr<MainQueue> mainQueue) {
    const std::string display;  // $WAYLAND_DISPLAY, for the services that connect on their own
    // Fails here, with the reason, when no compositor answers; the services connect again as they need.
    const WaylandConnection connection{display};

    PlatformServices services;
    auto displays = std::make_shared<WaylandDisplayService>(display);
    services.displays = displays;
    // The compositor's own virtual devices where it offers them (wlroots); else
    // a device of the kernel's, which every compositor reads (KWin, Mutter).
    // Either tells whether it can post, from which the permission follows.
    if (connection.pointerManager() && connection.keyboardManager()) {
        auto injector = std::make_shared<WaylandInputInjector>(display);
        services.permissions = std::make_shared<WaylandPermissionService>([injector] { return injector->canPost(); });
        services.injector = std::move(injector);
    } else {
        auto injector = std::make_shared<UinputInputInjector>(std::make_unique<KernelUinputNode>(), displays);
        services.permissions = std::make_shared<WaylandPermissionService>([injector] { return injector->canPost(); });
        services.injector = std::move(injector);
    }
    // Recordings place the mice's movements where the compositor has the pointer, where it can say.
    services.inputSource = std::make_shared<EvdevInputSource>(EvdevInputSource::Devices::all,
                                                              std::make_unique<PointerPositionProbe>(display));
    services.workspace = std::make_shared<WaylandWorkspaceService>();
    services.windows = std::make_shared<WaylandWindowAccess>();
    services.keyboard = std::make_shared<WaylandKeyboardLayout>(display);
    services.secureInput = std::make_shared<WaylandSecureInput>();
    // Shortcuts have a listener of their own on the keyboards, running while any
    // is registered; the mice would only wake it for nothing.
    services.hotKeys = std::make_shared<DeviceHotKeyService>(
        std::make_shared<EvdevInputSource>(EvdevInputSource::Devices::keyboards), std::move(mainQueue));
    services.loginItem =
        std::make_shared<XdgLoginItem>(XdgLoginItem::defaultEntryFile(), XdgLoginItem::runningProgram());
    services.backend = PlatformBackend::wayland;
    return services;
}

}  // namespace brevanor
