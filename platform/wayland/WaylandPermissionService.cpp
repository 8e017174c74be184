#include "platform/wayland/WaylandPermissionService.h"

#include "platform/wayland/EvdevInputSource.h"

namespace brevanor {

WaylandPermissionService::WaylandPermissionService(std::function<bool()> canPost) : canPost_(std::move(canPost)) {}

bool WaylandPermissionService::accessibilityGranted() { return canPost_(); }

bool WaylandPermissionService::inputMonitoringGranted() { return EvdevInputSource::canReadInputDevices(); }

}  // namespace brevanor
