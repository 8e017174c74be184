#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/dispatch/MainQueue.h"
#include "base/platform/WindowAccess.h"
#include "base/platform/WorkspaceService.h"
#include "base/time/Clock.h"
#include "core/checks/WindowRestoreResult.h"
#include "core/model/FrontmostAppInfo.h"

namespace brevanor {

// Brings the application that was in front when a recording was made back to
// the front, launching it if allowed, and moves its window back to the
// recorded frame. Every wait is a task posted to the main queue; no thread
// ever blocks. The restorer keeps nothing between calls.
class WindowRestorer {
public:
    using Completion = std::function<void(WindowRestoreResult)>;

    // How long after a launch the first window may take to show up.
    static constexpr double launchTimeout = 10.0;  // seconds
    static constexpr std::uint64_t activationSettleNanos = 250'000'000;
    static constexpr std::uint64_t windowPollNanos = 300'000'000;
    // The largest accepted difference per axis between the recorded and the read-back position.
    static constexpr double positionTolerance = 2.0;

    // `nowNanos` measures the launch deadline; it defaults to the monotonic clock.
    WindowRestorer(std::shared_ptr<WorkspaceService> workspace, std::shared_ptr<WindowAccess> windows,
                   std::shared_ptr<MainQueue> mainQueue, Clock nowNanos = {});

    // Called on the main thread. `completion` runs exactly once: before this
    // returns when nothing needs waiting for (no application recorded, not
    // running and not to be launched, not installed), else later on the main
    // queue. A restore in progress runs to its end even if the restorer is destroyed.
    void restore(const FrontmostAppInfo& app, bool launchIfNeeded, Completion completion) const;

private:
    std::shared_ptr<WorkspaceService> workspace_;
    std::shared_ptr<WindowAccess> windows_;
    std::shared_ptr<MainQueue> mainQueue_;
    Clock nowNanos_;
};

}  // namespace brevanor
