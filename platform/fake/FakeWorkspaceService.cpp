#include "platform/fake/FakeWorkspaceService.h"

namespace brevanor {

std::optional<RunningApplication> FakeWorkspaceService::frontmostApplication() {
    ++calls;
    return frontmost;
}

std::set<std::string> FakeWorkspaceService::runningApplicationIds() {
    ++calls;
    std::set<std::string> ids;
    for (const RunningApplication& app : running) {
        if (app.appId) ids.insert(*app.appId);
    }
    return ids;
}

std::vector<RunningApplication> FakeWorkspaceService::runningApplications(const std::string& appId) {
    ++calls;
    std::vector<RunningApplication> matching;
    for (const RunningApplication& app : running) {
        if (app.appId == appId) matching.push_back(app);
    }
    return matching;
}

bool FakeWorkspaceService::isInstalled(const std::string& appId) {
    ++calls;
    return installed_.contains(appId);
}

void FakeWorkspaceService::launch(const std::string& appId,
                                  std::function<void(std::optional<RunningApplication>)> done) {
    ++calls;
    launches.push_back(appId);
    const auto found = installed_.find(appId);
    std::optional<RunningApplication> app = found == installed_.end() ? std::nullopt : found->second;
    if (app) running.push_back(*app);
    auto report = [done = std::move(done), app] { done(app); };
    if (!holdLaunches) {
        report();
        return;
    }
    std::lock_guard lock(heldMutex_);
    heldReports_.push_back(std::move(report));
}

void FakeWorkspaceService::activate(const RunningApplication& app) {
    ++calls;
    activations.push_back(app);
}

std::string FakeWorkspaceService::ownApplicationId() {
    ++calls;
    return ownId;
}

void FakeWorkspaceService::install(const std::string& appId, std::optional<RunningApplication> launchesAs) {
    installed_[appId] = std::move(launchesAs);
}

void FakeWorkspaceService::finishLaunches() {
    std::vector<std::function<void()>> reports;
    {
        std::lock_guard lock(heldMutex_);
        reports.swap(heldReports_);
    }
    for (const auto& report : reports) report();
}

}  // namespace brevanor
