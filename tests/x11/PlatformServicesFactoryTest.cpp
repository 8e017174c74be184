#include <gtest/gtest.h>

#include <memory>

#include "base/platform/PlatformServices.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/x11/XvfbSession.h"

namespace brevanor::testing {
namespace {

TEST(X11PlatformServices, MakesEveryServiceForTheDisplay) {
    XvfbSession session;
    if (!session.isRunning()) GTEST_SKIP() << session.failure();
    const PlatformServices services = makePlatformServices(std::make_shared<ManualMainQueue>());
    EXPECT_TRUE(services.inputSource && services.injector && services.displays && services.workspace &&
                services.windows && services.keyboard && services.secureInput && services.permissions &&
                services.hotKeys && services.loginItem);
}

TEST(X11PlatformServices, WithoutADisplayTheBackendIsUnavailable) {
    const ScopedEnvironment display("DISPLAY", ":987654");
    EXPECT_THROW(makePlatformServices(std::make_shared<ManualMainQueue>()), PlatformUnavailableError);
}

}  // namespace
}  // namespace brevanor::testing
