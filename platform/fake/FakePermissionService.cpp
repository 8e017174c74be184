#include "platform/fake/FakePermissionService.h"

namespace brevanor {

bool FakePermissionService::accessibilityGranted() {
    ++accessibilityQueries;
    return accessibility;
}

bool FakePermissionService::inputMonitoringGranted() {
    ++inputMonitoringQueries;
    return inputMonitoring;
}

// Like the system: the prompt shows only while the permission is missing, and
// the answer is the state before the user could react.
bool FakePermissionService::requestAccessibility() {
    const bool before = accessibility;
    if (!before) {
        ++accessibilityPrompts;
        accessibility = grantOnPrompt;
    }
    return before;
}

bool FakePermissionService::requestInputMonitoring() {
    const bool before = inputMonitoring;
    if (!before) {
        ++inputMonitoringPrompts;
        inputMonitoring = grantOnPrompt;
    }
    return before;
}

void FakePermissionService::openSettingsAddress(const std::string& address) { openedAddresses.push_back(address); }

}  // namespace brevanor
