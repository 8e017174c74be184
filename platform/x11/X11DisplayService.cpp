#include "platform/x11/X11DisplayService.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <string>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/x11/X11Owned.h"

namespace brevanor {

namespace {

constexpr double kStandardDpi = 96.0;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

X11DisplayService::X11DisplayService(std::shared_ptr<X11Connection> connection) : connection_(std::move(connection)) {}

std::uint32_t X11DisplayService::idForName(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

double X11DisplayService::scaleFromResources(std::string_view resources) {
    while (!resources.empty()) {
        const auto end = resources.find('\n');
        const std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || trimmed(line.substr(0, colon)) != "Xft.dpi") continue;
        const std::string_view value = trimmed(line.substr(colon + 1));
        double dpi = 0;
        const auto [rest, error] = std::from_chars(value.data(), value.data() + value.size(), dpi);
        // Half to five times the standard resolution; anything else is a typo, not a screen.
        if (error != std::errc() || rest != value.data() + value.size() || !std::isfinite(dpi) || dpi < 48 ||
            dpi > 480) {
            return 1.0;
        }
        return dpi / kStandardDpi;
    }
    return 1.0;
}

double X11DisplayService::desktopScale() {
    // The resource database as it is now: XResourceManagerString would give the
    // copy taken when the connection opened.
    Display* display = connection_->display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, 0, 1 << 20, False,
                                          XA_STRING, &type, &format, &count, &after, &raw);
    X11Owned<unsigned char> data(raw);
    if (status != Success || type != XA_STRING || format != 8 || !data) return 1.0;
    return scaleFromResources(std::string_view(reinterpret_cast<const char*>(data.get()), count));
}

std::vector<DisplayInfo> X11DisplayService::activeDisplays() {
    if (!connection_->isAlive()) return {};
    Display* display = connection_->display();
    const Window root = DefaultRootWindow(display);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    // Monitors came with RandR 1.5.
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) || major < 1 ||
        (major == 1 && minor < 5)) {
        return {};
    }
    int count = 0;
    std::unique_ptr<XRRMonitorInfo[], X11Release<XRRFreeMonitors>> monitors(
        XRRGetMonitors(display, root, True, &count));
    if (!monitors || count <= 0) return {};
    std::unique_ptr<XRRScreenResources, X11Release<XRRFreeScreenResources>> resources(
        XRRGetScreenResourcesCurrent(display, root));
    const double scale = desktopScale();

    std::vector<DisplayInfo> displays;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& monitor = monitors[i];
        std::string name;
        if (resources && monitor.noutput > 0) {
            std::unique_ptr<XRROutputInfo, X11Release<XRRFreeOutputInfo>> output(
                XRRGetOutputInfo(display, resources.get(), monitor.outputs[0]));
            if (output && output->name) name.assign(output->name, static_cast<std::size_t>(output->nameLen));
        }
        if (name.empty() && monitor.name != None) {
            X11Owned<char> atomName(XGetAtomName(display, monitor.name));
            if (atomName) name = atomName.get();
        }
        DisplayInfo info{idForName(name),
                         {static_cast<double>(monitor.x), static_cast<double>(monitor.y),
                          static_cast<double>(monitor.width), static_cast<double>(monitor.height)},
                         scale};
        // The primary monitor is the main display, which comes first.
        if (monitor.primary) {
            displays.insert(displays.begin(), info);
        } else {
            displays.push_back(info);
        }
    }
    return displays;
}

}  // namespace brevanor
