#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "base/platform/PlatformServices.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/WaitUntil.h"
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
    // Listener and injector share the journal: the injector's own events read as synthetic.
    std::atomic<int> synthetic = 0;
    ASSERT_TRUE(services.inputSource->start([&](const TapEvent& event) {
        if (event.isSynthetic && event.kind.type == TapEvent::Kind::Type::keyDown) ++synthetic;
    }));
    EXPECT_TRUE(services.injector->post({.type = SyntheticInput::Type::keyDown, .keyCode = 0}));
    EXPECT_TRUE(services.injector->post({.type = SyntheticInput::Type::keyUp, .keyCode = 0}));
    EXPECT_TRUE(testing::waitUntil([&] { return synthetic > 0; }));
    services.inputSource->stop();
    EXPECT_EQ(synthetic, 1);
}

TEST(X11PlatformServices, WithoutADisplayTheBackendIsUnavailable) {
    const ScopedEnvironment display("DISPLAY", ":987654");
    EXPECT_THROW(makePlatformServices(std::make_shared<ManualMainQueue>()), PlatformUnavailableError);
}

}  // namespace
}  // namespace brevanor::testing
