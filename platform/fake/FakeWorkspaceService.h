#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/platform/WorkspaceService.h"

namespace brevanor {

// Applications scripted by the test: the front one, running instances,
// installed ones and how their launch goes. Records activations and launches.
// Only finishLaunches() may be called from another thread.
class FakeWorkspaceService final : public WorkspaceService {
public:
    std::optional<RunningApplication> frontmostApplication() override;
    std::set<std::string> runningApplicationIds() override;
    std::vector<RunningApplication> runningApplications(const std::string& appId) override;
    bool isInstalled(const std::string& appId) override;
    // Starts the installed application: it runs from now on, and `done` hears
    // of it at once, or when finishLaunches() is called while holdLaunches is set.
    void launch(const std::string& appId, std::function<void(std::optional<RunningApplication>)> done) override;
    void activate(const RunningApplication& app) override;
    std::string ownApplicationId() override;

    // An installed application that launches as `launchesAs`, or fails to when it is empty.
    void install(const std::string& appId, std::optional<RunningApplication> launchesAs);
    // Reports every held launch, from the calling thread.
    void finishLaunches();

    std::optional<RunningApplication> frontmost;
    std::vector<RunningApplication> running;
    bool holdLaunches = false;
    std::string ownId = "com.brevanor.Brevanor";

    std::vector<RunningApplication> activations;
    std::vector<std::string> launches;
    int calls = 0;  // every call of the interface

private:
    std::map<std::string, std::optional<RunningApplication>> installed_;
    std::mutex heldMutex_;
    std::vector<std::function<void()>> heldReports_;
};

}  // namespace brevanor
