#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "base/platform/PermissionService.h"
#include "platform/x11/X11Connection.h"

namespace brevanor {

// The two permissions as X11 has them: no prompt and no settings page exist;
// whoever may connect to the display may post and listen, provided the server
// has the extensions for it. Accessibility is granted with XTEST (posting);
// Input Monitoring with XInput 2.2 or RECORD (listening). Without a display (a
// Wayland session without X11, say) both read false. Callable from any thread.
class X11PermissionService final : public PermissionService {
public:
    // Needs the display name (empty: $DISPLAY). Opens a connection of its own
    // when first asked, and again after the server went away.
    explicit X11PermissionService(std::string displayName);

    bool accessibilityGranted() override;
    bool inputMonitoringGranted() override;
    bool requestAccessibility() override { return accessibilityGranted(); }
    bool requestInputMonitoring() override { return inputMonitoringGranted(); }
    void openSettingsAddress(const std::string&) override {}

private:
    X11Connection* connection();

    std::string displayName_;
    std::mutex mutex_;
    std::unique_ptr<X11Connection> connection_;
};

}  // namespace brevanor
