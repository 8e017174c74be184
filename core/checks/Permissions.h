#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/platform/PermissionService.h"

namespace brevanor {

// The two permissions the program needs: Accessibility (post input, read and
// move windows) and Input Monitoring (listen to input). Nothing is cached:
// every query asks the system again, so callers poll.
class Permissions {
public:
    // The settings pages of the two permissions.
    enum class Pane { accessibility, inputMonitoring };

    explicit Permissions(std::shared_ptr<PermissionService> service);

    bool accessibilityGranted() const;
    bool inputMonitoringGranted() const;
    // Let the system prompt where it can; return the state at the moment of the call.
    bool requestAccessibility() const;
    bool requestInputMonitoring() const;
    // Opens the settings page of the pane, where a settings application handles it.
    void openSystemSettings(Pane pane) const;

    static std::string_view anchor(Pane pane);
    static std::string settingsAddress(Pane pane);

private:
    std::shared_ptr<PermissionService> service_;
};

}  // namespace brevanor
