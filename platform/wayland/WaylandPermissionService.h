#pragma once

#include <functional>

#include "base/platform/PermissionService.h"

namespace brevanor {

// The two permissions as a Wayland session has them. Posting needs a
// compositor that accepts virtual pointers and keyboards or, where it accepts
// none, write access to /dev/uinput (no prompt exists for either); listening
// needs read access to the kernel's input devices, which the `input` group gives.
class WaylandPermissionService final : public PermissionService {
public:
    // `canPost` asks the injector in use whether it can post.
    explicit WaylandPermissionService(std::function<bool()> canPost);

    bool accessibilityGranted() override;
    bool inputMonitoringGranted() override;
    bool requestAccessibility() override { return accessibilityGranted(); }
    bool requestInputMonitoring() override { return inputMonitoringGranted(); }
    void openSettingsAddress(const std::string&) override {}

private:
    std::function<bool()> canPost_;
};

}  // namespace brevanor
