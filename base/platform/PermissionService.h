#pragma once

#include <string>

namespace brevanor {

// The two privacy permissions: Accessibility (post input, move windows) and
// Input Monitoring (listen to input). No call waits for the user.
class PermissionService {
public:
    virtual ~PermissionService() = default;

    virtual bool accessibilityGranted() = 0;
    virtual bool inputMonitoringGranted() = 0;
    // Ask the system to prompt when it has a prompt; return the state now.
    virtual bool requestAccessibility() = 0;
    virtual bool requestInputMonitoring() = 0;
    // Opens a settings address; does nothing where no settings application handles it.
    virtual void openSettingsAddress(const std::string& address) = 0;
};

}  // namespace brevanor
