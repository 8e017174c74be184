#include <gtest/gtest.h>

#include "core/checks/Permissions.h"
#include "platform/fake/FakePermissionService.h"

namespace brevanor {
namespace {

TEST(Permissions, AllGrantedAsksInputMonitoringOnlyAfterAccessibility) {
    auto service = std::make_shared<FakePermissionService>();
    const Permissions permissions(service);
    service->inputMonitoring = true;
    EXPECT_FALSE(permissions.allGranted());
    EXPECT_EQ(service->accessibilityQueries, 1);
    EXPECT_EQ(service->inputMonitoringQueries, 0);

    service->accessibility = true;
    EXPECT_TRUE(permissions.allGranted());
    service->inputMonitoring = false;
    EXPECT_FALSE(permissions.allGranted());
    EXPECT_FALSE(permissions.inputMonitoringGranted());
    EXPECT_TRUE(permissions.accessibilityGranted());
    EXPECT_EQ(service->inputMonitoringQueries, 3);
}

TEST(Permissions, RequestsReturnTheStateAtTheCall) {
    auto service = std::make_shared<FakePermissionService>();
    const Permissions permissions(service);
    service->accessibility = true;
    EXPECT_TRUE(permissions.requestAccessibility());
    EXPECT_EQ(service->accessibilityPrompts, 0);

    service->grantOnPrompt = true;
    EXPECT_FALSE(permissions.requestInputMonitoring());
    EXPECT_EQ(service->inputMonitoringPrompts, 1);
    EXPECT_TRUE(permissions.inputMonitoringGranted());
}

TEST(Permissions, OpensTheSettingsPageOfEachPane) {
    auto service = std::make_shared<FakePermissionService>();
    const Permissions permissions(service);
    permissions.openSystemSettings(Permissions::Pane::inputMonitoring);
    permissions.openSystemSettings(Permissions::Pane::accessibility);
    EXPECT_EQ(
        service->openedAddresses,
        (std::vector<std::string>{"x-apple.systempreferences:com.apple.preference.security?Privacy_ListenEvent",
                                  "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"}));
}

}  // namespace
}  // namespace brevanor
