#include "base/platform/PlatformServices.h"
#include "platform/fake/FakeDisplayService.h"
#include "platform/fake/FakeHeldInput.h"
#include "platform/fake/FakeHotKeyService.h"
#include "platform/fake/FakeInputInjector.h"
#include "platform/fake/FakeInputSource.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissionService.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/FakeWindowAccess.h"
#include "platform/fake/FakeWorkspaceService.h"

namespace brevanor {

// The scriptable backend, for builds without a real one (-DBREVANOR_PLATFORM=fake):
// one 1920 x 1080 display, both permissions granted, and input that goes nowhere.
PlatformServices makePlatformServices(std::shared_ptr<MainQueue>, PlatformBackend) {
    auto permissions = std::make_shared<FakePermissionService>();
    permissions->accessibility = true;
    permissions->inputMonitoring = true;

    PlatformServices services;
    services.inputSource = std::make_shared<FakeInputSource>();
    services.injector = std::make_shared<FakeInputInjector>();
    services.displays =
        std::make_shared<FakeDisplayService>(std::vector<DisplayInfo>{{1, FrameRect{0, 0, 1920, 1080}, 1.0}});
    services.workspace = std::make_shared<FakeWorkspaceService>();
    services.windows = std::make_shared<FakeWindowAccess>();
    services.keyboard = std::make_shared<FakeKeyboardLayout>();
    services.secureInput = std::make_shared<FakeSecureInput>();
    services.permissions = std::move(permissions);
    services.hotKeys = std::make_shared<FakeHotKeyService>();
    services.loginItem = std::make_shared<FakeLoginItem>();
    services.heldInput = std::make_shared<FakeHeldInput>();
    return services;
}

}  // namespace brevanor
