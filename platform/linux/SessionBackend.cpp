#include "platform/linux/SessionBackend.h"

#include <cstdlib>

namespace brevanor {

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

SessionEnvironment SessionEnvironment::current() {
    return {variable("WAYLAND_DISPLAY"), variable("DISPLAY"), variable("XDG_SESSION_TYPE")};
}

std::optional<PlatformBackend> sessionBackend(const SessionEnvironment& environment) {
    if (environment.sessionType == "wayland") return PlatformBackend::wayland;
    if (environment.sessionType == "x11") return PlatformBackend::x11;
    if (!environment.waylandDisplay.empty()) return PlatformBackend::wayland;
    if (!environment.x11Display.empty()) return PlatformBackend::x11;
    return std::nullopt;
}

}  // namespace brevanor
