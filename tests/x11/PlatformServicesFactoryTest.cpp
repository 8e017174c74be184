#include <gtest/gtest.h>

#include <memory>

#include "base/platform/PlatformServices.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/support/ScopedEnvironment.h"

namespace brevanor::testing {
namespace {

TEST(X11PlatformServices, WithoutADisplayTheBackendIsUnavailable) {
    const ScopedEnvironment display("DISPLAY", ":987654");
    EXPECT_THROW(makePlatformServices(std::make_shared<ManualMainQueue>()), PlatformUnavailableError);
}

}  // namespace
}  // namespace brevanor::testing
