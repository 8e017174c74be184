#include "platform/x11/X11WorkspaceService.h"

#include "platform/x11/DetachedProcess.h"

namespace brevanor {

X11WorkspaceService::X11WorkspaceService(std::shared_ptr<X11Applications> applications)
    : applications_(std::move(applications)) {}

std::optional<RunningApplication> X11WorkspaceService::frontmostApplication() {
    const auto active = applications_->ewmh().activeWindow();
    if (!active) return std::nullopt;
    return applications_->applicationOf(*active);
}

std::set<std::string> X11WorkspaceService::runningApplicationIds() {
    std::set<std::string> ids;
    for (const auto& application : applications_->running()) {
        if (application.appId) ids.insert(*application.appId);
    }
    return ids;
}

std::vector<RunningApplication> X11WorkspaceService::runningApplications(const std::string& appId) {
    std::vector<RunningApplication> matching;
    for (auto& application : applications_->running()) {
        if (application.appId == appId) matching.push_back(std::move(application));
    }
    return matching;
}

bool X11WorkspaceService::isInstalled(const std::string& appId) {
    return applications_->catalog().application(appId).has_value();
}

void X11WorkspaceService::launch(const std::string& appId,
                                 std::function<void(std::optional<RunningApplication>)> done) {
    std::optional<RunningApplication> launched;
    if (const auto entry = applications_->catalog().application(appId)) {
        if (const auto pid = DetachedProcess::start(entry->commandLine)) {
            launched = RunningApplication{*pid, entry->id, entry->name};
        }
    }
    // Window managers give a new application's first window the focus, which is the activation asked for.
    if (done) done(std::move(launched));
}

void X11WorkspaceService::activate(const RunningApplication& app) {
    const auto windows = applications_->windowsOf(app);
    if (!windows.empty()) applications_->ewmh().requestActivation(windows.front());
}

}  // namespace brevanor
