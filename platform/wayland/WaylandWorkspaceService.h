#pragma once

#include "base/platform/WorkspaceService.h"

namespace brevanor {

// Wayland shows a client no other client: which application is in front and
// which run cannot be read, so recordings made here name no application and
// the checks before a playback skip the application warnings. Launching and
// activating are not possible either.
class WaylandWorkspaceService final : public WorkspaceService {
public:
    std::optional<RunningApplication> frontmostApplication() override { return std::nullopt; }
    std::set<std::string> runningApplicationIds() override { return {}; }
    std::vector<RunningApplication> runningApplications(const std::string&) override { return {}; }
    bool isInstalled(const std::string&) override { return false; }
    void launch(const std::string&, std::function<void(std::optional<RunningApplication>)> done) override {
        done(std::nullopt);
    }
    void activate(const RunningApplication&) override {}
    std::string ownApplicationId() override { return "com.brevanor.Brevanor"; }
};

}  // namespace brevanor
