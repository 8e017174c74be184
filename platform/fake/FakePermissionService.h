#pragma once

#include <string>
#include <vector>

#include "base/platform/PermissionService.h"

namespace brevanor {

// Permissions set by the test; counts the queries and prompts and keeps the
// settings addresses that were opened.
class FakePermissionService final : public PermissionService {
public:
    bool accessibilityGranted() override;
    bool inputMonitoringGranted() override;
    bool requestAccessibility() override;
    bool requestInputMonitoring() override;
    void openSettingsAddress(const std::string& address) override;

    bool accessibility = false;
    bool inputMonitoring = false;
    // A prompt grants the permission, as if the user agreed at once.
    bool grantOnPrompt = false;

    int accessibilityQueries = 0;
    int inputMonitoringQueries = 0;
    int accessibilityPrompts = 0;
    int inputMonitoringPrompts = 0;
    std::vector<std::string> openedAddresses;
};

}  // namespace brevanor
