#include <gtest/gtest.h>

#include "platform/x11/X11PermissionService.h"
#include "tests/x11/XvfbSession.h"

namespace brevanor {
namespace {

TEST(X11PermissionService, GrantedWhereTheServerHasXTestAndXInput) {
    testing::XvfbSession session;
    if (!session.isRunning()) GTEST_SKIP() << session.failure();
    X11PermissionService permissions(session.displayName());
    EXPECT_TRUE(permissions.accessibilityGranted());
    EXPECT_TRUE(permissions.inputMonitoringGranted());
    EXPECT_TRUE(permissions.requestAccessibility());
    EXPECT_TRUE(permissions.requestInputMonitoring());
    permissions.openSettingsAddress("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
}

TEST(X11PermissionService, NotGrantedWithoutADisplay) {
    X11PermissionService permissions(":65000");
    EXPECT_FALSE(permissions.accessibilityGranted());
    EXPECT_FALSE(permissions.inputMonitoringGranted());
    EXPECT_FALSE(permissions.requestAccessibility());
}

}  // namespace
}  // namespace brevanor
