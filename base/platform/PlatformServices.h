#pragma once

#include <memory>
#include <stdexcept>

#include "base/platform/DisplayService.h"
#include "base/platform/HeldInput.h"
#include "base/platform/HotKeyService.h"
#include "base/platform/InputInjector.h"
#include "base/platform/InputSource.h"
#include "base/platform/KeyboardLayout.h"
#include "base/platform/LoginItem.h"
#include "base/platform/PermissionService.h"
#include "base/platform/PlatformBackend.h"
#include "base/platform/SecureInput.h"
#include "base/platform/WindowAccess.h"
#include "base/platform/WorkspaceService.h"

namespace brevanor {

class MainQueue;

// Every service of one platform backend. Made once by makePlatformServices()
// and handed to whoever needs a service; nothing reaches for a global.
struct PlatformServices {
    std::shared_ptr<InputSource> inputSource;
    std::shared_ptr<InputInjector> injector;
    std::shared_ptr<DisplayService> displays;
    std::shared_ptr<WorkspaceService> workspace;
    std::shared_ptr<WindowAccess> windows;
    std::shared_ptr<KeyboardLayout> keyboard;
    std::shared_ptr<SecureInput> secureInput;
    std::shared_ptr<PermissionService> permissions;
    std::shared_ptr<HotKeyService> hotKeys;
    std::shared_ptr<LoginItem> loginItem;
    std::shared_ptr<HeldInput> heldInput;                  // may be null: nothing is then known to be held
    PlatformBackend backend = PlatformBackend::automatic;  // the backend that serves; automatic for the fake one
};

// The platform is not usable here (no display or compositor could be reached);
// the message says which and what to do, as one sentence.
struct PlatformUnavailableError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The services of `backend` (automatic: the one the session calls for) among
// those built in at configure time. Callbacks that go "to the main thread" are
// posted to `mainQueue`. Throws PlatformUnavailableError.
PlatformServices makePlatformServices(std::shared_ptr<MainQueue> mainQueue,
                                      PlatformBackend backend = PlatformBackend::automatic);

}  // namespace brevanor
