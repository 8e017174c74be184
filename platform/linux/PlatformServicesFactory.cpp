#include "base/platform/PlatformServices.h"
#include "platform/linux/SessionBackend.h"
#include "platform/wayland/WaylandPlatformServices.h"
#include "platform/x11/X11PlatformServices.h"

namespace brevanor {

namespace {

const std::string kTryDemo = "run this in a desktop session, or try brevanor-cli demo, which brings its own";

PlatformServices x11Services(std::shared_ptr<MainQueue> mainQueue, const SessionEnvironment& environment) {
    if (environment.x11Display.empty()) {
        throw PlatformUnavailableError("No X display is set (DISPLAY is empty); " + kTryDemo);
    }
    try {
        return makeX11PlatformServices(std::move(mainQueue));
    } catch (const PlatformUnavailableError& error) {
        throw PlatformUnavailableError("The X display " + environment.x11Display + " cannot be reached (" +
                                       error.what() + ")");
    }
}

PlatformServices waylandServices(std::shared_ptr<MainQueue> mainQueue, const SessionEnvironment& environment) {
    try {
        return makeWaylandPlatformServices(std::move(mainQueue));
    } catch (const PlatformUnavailableError& error) {
        // Without WAYLAND_DISPLAY the client library tries wayland-0.
        const std::string name = environment.waylandDisplay.empty() ? "wayland-0" : environment.waylandDisplay;
        throw PlatformUnavailableError("The Wayland compositor " + name + " cannot be reached (" + error.what() +
                                       (environment.waylandDisplay.empty() ? "; WAYLAND_DISPLAY is empty" : "") + ")");
    }
}

}  // namespace

PlatformServices makePlatformServices(std::shared_ptr<MainQueue> mainQueue, PlatformBackend backend) {
    const SessionEnvironment environment = SessionEnvironment::current();
    if (backend == PlatformBackend::automatic) {
        const auto chosen = sessionBackend(environment);
        if (!chosen) {
            throw PlatformUnavailableError("No desktop session is set (neither WAYLAND_DISPLAY nor DISPLAY); " +
                                           kTryDemo);
        }
        backend = *chosen;
    }
    return backend == PlatformBackend::wayland ? waylandServices(std::move(mainQueue), environment)
                                               : x11Services(std::move(mainQueue), environment);
}

}  // namespace brevanor
