#pragma once

#include <memory>

#include "base/platform/WorkspaceService.h"
#include "platform/x11/X11Applications.h"

namespace brevanor {

// The applications of an X session: the front one from the window manager's
// active window, running ones from its managed windows, installed ones and
// launching through desktop entries. Main thread only.
class X11WorkspaceService final : public WorkspaceService {
public:
    // Needs the session's applications (shared with X11WindowAccess).
    explicit X11WorkspaceService(std::shared_ptr<X11Applications> applications);

    std::optional<RunningApplication> frontmostApplication() override;
    std::set<std::string> runningApplicationIds() override;
    std::vector<RunningApplication> runningApplications(const std::string& appId) override;
    bool isInstalled(const std::string& appId) override;
    // Starts the entry's command line and calls `done` before returning, with the
    // started process (its windows may show up later) or nothing when it could not start.
    void launch(const std::string& appId, std::function<void(std::optional<RunningApplication>)> done) override;
    void activate(const RunningApplication& app) override;
    std::string ownApplicationId() override { return X11Applications::kOwnApplicationId; }

private:
    std::shared_ptr<X11Applications> applications_;
};

}  // namespace brevanor
