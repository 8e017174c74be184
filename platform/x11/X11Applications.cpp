#include "platform/x11/X11Applications.h"

#include <algorithm>

namespace brevanor {

namespace {

bool isDeskOrDock(const std::optional<std::vector<std::string>>& types) {
    if (!types) return false;
    return std::any_of(types->begin(), types->end(), [](const std::string& type) {
        return type == "_NET_WM_WINDOW_TYPE_DOCK" || type == "_NET_WM_WINDOW_TYPE_DESKTOP";
    });
}

}  // namespace

X11Applications::X11Applications(std::shared_ptr<X11Ewmh> ewmh, std::shared_ptr<DesktopEntryCatalog> catalog)
    : ewmh_(std::move(ewmh)), catalog_(std::move(catalog)) {}

std::optional<RunningApplication> X11Applications::applicationOf(XWindowId window) {
    const auto windowClass = ewmh_->windowClass(window);
    const auto pid = ewmh_->processId(window);
    if (!windowClass && !pid) return std::nullopt;
    RunningApplication application;
    application.pid = pid.value_or(0);
    if (windowClass) {
        const std::string program = ewmh_->programName(window).value_or("");
        if (auto id = catalog_->idForWindow(windowClass->instance, windowClass->name, program)) {
            application.appId = *id;
            if (const auto entry = catalog_->application(*id)) application.name = entry->name;
        } else if (!windowClass->name.empty()) {
            application.appId = windowClass->name;
        }
        if (!application.name && !windowClass->name.empty()) application.name = windowClass->name;
    }
    return application;
}

std::vector<X11Applications::Client> X11Applications::clients() {
    std::vector<Client> result;
    for (const XWindowId window : ewmh_->clientsFrontToBack()) {
        if (isDeskOrDock(ewmh_->atomList(window, "_NET_WM_WINDOW_TYPE"))) continue;
        if (auto application = applicationOf(window)) result.push_back({window, std::move(*application)});
    }
    return result;
}

std::vector<RunningApplication> X11Applications::running() {
    std::vector<RunningApplication> result;
    for (auto& client : clients()) {
        const bool known = std::any_of(result.begin(), result.end(), [&](const RunningApplication& seen) {
            return seen.appId == client.application.appId && seen.pid == client.application.pid;
        });
        if (!known) result.push_back(std::move(client.application));
    }
    return result;
}

std::vector<XWindowId> X11Applications::windowsOf(const RunningApplication& application) {
    std::vector<XWindowId> sameId;
    std::vector<XWindowId> sameProcess;
    for (const auto& client : clients()) {
        if (application.appId && client.application.appId != application.appId) continue;
        sameId.push_back(client.window);
        if (application.pid != 0 && client.application.pid == application.pid) sameProcess.push_back(client.window);
    }
    if (!application.appId || !sameProcess.empty()) return sameProcess;
    return sameId;
}

}  // namespace brevanor
