#include "platform/wayland/WaylandPermissionService.h"

#include "platform/wayland/EvdevInputSource.h"
#include "platform/wayland/WaylandInputInjector.h"

namespace brevanor {

WaylandPermissionService::WaylandPermissionService(std::shared_ptr<WaylandInputInjector> injector)
    : injector_(std::move(injector)) {}

bool WaylandPermissionService::accessibilityGranted() { return injector_->canPost(); }

bool WaylandPermissionService::inputMonitoringGranted() { return EvdevInputSource::canReadInputDevices(); }

}  // namespace brevanor
