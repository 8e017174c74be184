#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "base/platform/DisplayService.h"
#include "platform/x11/X11Connection.h"

namespace brevanor {

// The displays of an X screen: its active XRandR monitors, the primary one
// first. Frames are in root-window coordinates, the space input events use.
// A display's id is a hash of its output's name ("DP-1", or the monitor's own
// name when it has no output), so one output keeps its id while the server
// runs and across restarts. X11 has no per-display scale; the desktop's font
// resolution (Xft.dpi in the resource database, which desktops set to 192 for
// a doubled interface) over the standard 96 is what counts as the scale,
// 1.0 when it is not set or not sensible.
class X11DisplayService final : public DisplayService {
public:
    // Needs its own connection or one shared with other main-thread services.
    explicit X11DisplayService(std::shared_ptr<X11Connection> connection);

    std::vector<DisplayInfo> activeDisplays() override;

    // The scale the resource database text `resources` asks for (exposed for tests).
    static double scaleFromResources(std::string_view resources);
    // FNV-1a: the display id of an output name.
    static std::uint32_t idForName(std::string_view name);

private:
    double desktopScale();

    std::shared_ptr<X11Connection> connection_;
};

}  // namespace brevanor
