#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "base/platform/DisplayService.h"

namespace brevanor {

class WaylandConnection;

// The outputs of the compositor's layout, as xdg-output places them: frames in
// layout pixels (the space the virtual pointer moves in), the output's
// integer scale, and as id a hash of the output's name, as on X11.
class WaylandDisplayService final : public DisplayService {
public:
    // `displayName` empty: $WAYLAND_DISPLAY. Connects on first use.
    explicit WaylandDisplayService(std::string displayName);
    ~WaylandDisplayService() override;

    std::vector<DisplayInfo> activeDisplays() override;

private:
    const std::string displayName_;
    std::mutex mutex_;
    std::unique_ptr<WaylandConnection> connection_;
};

}  // namespace brevanor
