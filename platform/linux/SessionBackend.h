#pragma once

#include <optional>
#include <string>

#include "base/platform/PlatformBackend.h"

namespace brevanor {

// What the session's environment says about its display server.
struct SessionEnvironment {
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string x11Display;      // DISPLAY
    std::string sessionType;     // XDG_SESSION_TYPE

    // This process's own environment.
    static SessionEnvironment current();
};

// The backend a session calls for. XDG_SESSION_TYPE decides where it says
// "wayland" or "x11"; otherwise (unset, or "tty" for a compositor started from
// a console) a set WAYLAND_DISPLAY means Wayland, then a set DISPLAY means X11.
// Nothing when neither is set. A Wayland session with XWayland has both set
// and gets Wayland: X11 there sees only XWayland's own windows.
std::optional<PlatformBackend> sessionBackend(const SessionEnvironment& environment);

}  // namespace brevanor
