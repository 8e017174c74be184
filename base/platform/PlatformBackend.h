#pragma once

#include <optional>
#include <string_view>

namespace brevanor {

// Which backend serves the platform services. `automatic` follows the session:
// Wayland on a Wayland session, X11 on an X11 one.
enum class PlatformBackend { automatic, x11, wayland };

// The backend a user names ("x11", "wayland"; "auto" for automatic), or nothing.
inline std::optional<PlatformBackend> platformBackendNamed(std::string_view name) {
    if (name == "auto") return PlatformBackend::automatic;
    if (name == "x11") return PlatformBackend::x11;
    if (name == "wayland") return PlatformBackend::wayland;
    return std::nullopt;
}

}  // namespace brevanor
