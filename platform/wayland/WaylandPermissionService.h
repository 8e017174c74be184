#pragma once

#include <memory>

#include "base/platform/PermissionService.h"

namespace brevanor {

class WaylandInputInjector;

// The two permissions as a Wayland session has them. Posting needs a
// compositor that accepts virtual pointers and keyboards (no prompt exists);
// listening needs read access to the kernel's input devices, which the
// `input` group gives.
class WaylandPermissionService final : public PermissionService {
public:
    explicit WaylandPermissionService(std::shared_ptr<WaylandInputInjector> injector);

    bool accessibilityGranted() override;
    bool inputMonitoringGranted() override;
    bool requestAccessibility() override { return accessibilityGranted(); }
    bool requestInputMonitoring() override { return inputMonitoringGranted(); }
    void openSettingsAddress(const std::string&) override {}

private:
    std::shared_ptr<WaylandInputInjector> injector_;
};

}  // namespace brevanor
