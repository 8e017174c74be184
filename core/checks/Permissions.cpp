#include "core/checks/Permissions.h"

namespace brevanor {

Permissions::Permissions(std::shared_ptr<PermissionService> service) : service_(std::move(service)) {}

bool Permissions::accessibilityGranted() const { return service_->accessibilityGranted(); }

bool Permissions::inputMonitoringGranted() const { return service_->inputMonitoringGranted(); }

bool Permissions::requestAccessibility() const { return service_->requestAccessibility(); }

bool Permissions::requestInputMonitoring() const { return service_->requestInputMonitoring(); }

void Permissions::openSystemSettings(Pane pane) const { service_->openSettingsAddress(settingsAddress(pane)); }

std::string_view Permissions::anchor(Pane pane) {
    switch (pane) {
        case Pane::accessibility: return "Privacy_Accessibility";
        case Pane::inputMonitoring: return "Privacy_ListenEvent";
    }
    return "Privacy_Accessibility";
}

std::string Permissions::settingsAddress(Pane pane) {
    return "x-apple.systempreferences:com.apple.preference.security?" + std::string(anchor(pane));
}

}  // namespace brevanor
