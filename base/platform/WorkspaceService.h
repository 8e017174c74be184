#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/platform/RunningApplication.h"

namespace brevanor {

// Applications of the session: which is in front, which run, which are
// installed, launching and activating them. Called on the main thread.
class WorkspaceService {
public:
    virtual ~WorkspaceService() = default;

    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // The ids of all running applications that have one.
    virtual std::set<std::string> runningApplicationIds() = 0;
    // The running instances with that id, in the platform's order.
    virtual std::vector<RunningApplication> runningApplications(const std::string& appId) = 0;
    // Whether an application with that id is installed (can be launched).
    virtual bool isInstalled(const std::string& appId) = 0;
    // Launches the application and activates it. `done` is called exactly once,
    // on any thread, with the launched application or nothing on failure.
    virtual void launch(const std::string& appId, std::function<void(std::optional<RunningApplication>)> done) = 0;
    // Brings the application in front of all others; failures are ignored.
    virtual void activate(const RunningApplication& app) = 0;
    // This process's own application id (never restored or warned about).
    virtual std::string ownApplicationId() = 0;
};

}  // namespace brevanor
