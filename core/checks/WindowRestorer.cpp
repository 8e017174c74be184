#include "core/checks/WindowRestorer.h"

#include <cmath>

#include "base/text/Localized.h"
#include "base/time/MonotonicClock.h"

namespace brevanor {

namespace {

// One call of restore(): what its delayed steps need, shared by them until the completion ran.
struct Attempt {
    std::shared_ptr<WorkspaceService> workspace;
    std::shared_ptr<WindowAccess> windows;
    std::shared_ptr<MainQueue> mainQueue;
    Clock nowNanos;
    FrontmostAppInfo info;
    std::string displayName;
    WindowRestorer::Completion completion;

    // `why` is translated and follows the display name.
    WindowRestoreResult skipped(const std::string& why) const {
        return WindowRestoreResult::skipped(displayName + why);
    }
};

using AttemptPtr = std::shared_ptr<const Attempt>;

// The recorded title first, then the focused, the main and the first window.
std::optional<WindowHandle> chooseWindow(const Attempt& attempt, const RunningApplication& app,
                                         const std::vector<WindowHandle>& windows) {
    WindowAccess& access = *attempt.windows;
    const std::optional<std::string>& title = attempt.info.windowTitle;
    if (title && !title->empty()) {
        for (const WindowHandle& window : windows) {
            if (access.title(window) == *title) return window;
        }
    }
    if (auto focused = access.focusedWindow(app)) return focused;
    if (auto main = access.mainWindow(app)) return main;
    if (!windows.empty()) return windows.front();
    return std::nullopt;
}

bool finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

WindowRestoreResult position(const Attempt& attempt, const RunningApplication& app) {
    if (!attempt.info.windowFrame) return WindowRestoreResult::restored();
    const FrameRect& frame = *attempt.info.windowFrame;
    WindowAccess& access = *attempt.windows;

    const auto window = chooseWindow(attempt, app, access.windows(app));
    if (!window) return attempt.skipped(tr(" has no window to position."));
    if (access.isFullScreen(*window) == true) {
        return attempt.skipped(tr("'s window is full screen, so it was left where it is."));
    }
    if (!access.isPositionSettable(*window) || !access.isSizeSettable(*window)) {
        return attempt.skipped(tr("'s window cannot be moved."));
    }

    // Position again after the resize: a window manager may shift a window
    // that grows past the screen edge.
    const Point target{frame.x, frame.y};
    if (finite(frame.x, frame.y)) access.setPosition(*window, target);
    if (finite(frame.width, frame.height)) access.setSize(*window, Size{frame.width, frame.height});
    if (finite(frame.x, frame.y)) access.setPosition(*window, target);

    const auto landed = access.position(*window);
    const auto size = access.size(*window);
    if (landed && size && std::abs(landed->x - frame.x) <= WindowRestorer::positionTolerance &&
        std::abs(landed->y - frame.y) <= WindowRestorer::positionTolerance) {
        return WindowRestoreResult::restored();
    }
    return attempt.skipped(tr("'s window could not be moved back to its recorded position."));
}

void activateThenPosition(const AttemptPtr& attempt, const RunningApplication& app) {
    attempt->workspace->activate(app);
    attempt->mainQueue->postAfter(WindowRestorer::activationSettleNanos,
                                  [attempt, app] { attempt->completion(position(*attempt, app)); });
}

void waitForWindow(const AttemptPtr& attempt, const RunningApplication& app, std::uint64_t deadlineNanos) {
    if (!attempt->windows->windows(app).empty()) {
        activateThenPosition(attempt, app);
    } else if (attempt->nowNanos() < deadlineNanos) {
        attempt->mainQueue->postAfter(WindowRestorer::windowPollNanos,
                                      [attempt, app, deadlineNanos] { waitForWindow(attempt, app, deadlineNanos); });
    } else {
        attempt->completion(attempt->skipped(tr(" launched but showed no window within ") +
                                             std::to_string(static_cast<long long>(WindowRestorer::launchTimeout)) +
                                             tr(" seconds.")));
    }
}

void launched(const AttemptPtr& attempt, const std::optional<RunningApplication>& app) {
    if (!app) {
        attempt->completion(attempt->skipped(tr(" could not be launched.")));
        return;
    }
    constexpr auto kTimeoutNanos = static_cast<std::uint64_t>(WindowRestorer::launchTimeout * 1e9);
    waitForWindow(attempt, *app, attempt->nowNanos() + kTimeoutNanos);
}

}  // namespace

WindowRestorer::WindowRestorer(std::shared_ptr<WorkspaceService> workspace, std::shared_ptr<WindowAccess> windows,
                               std::shared_ptr<MainQueue> mainQueue, Clock nowNanos)
    : workspace_(std::move(workspace)),
      windows_(std::move(windows)),
      mainQueue_(std::move(mainQueue)),
      nowNanos_(nowNanos ? std::move(nowNanos) : Clock(MonotonicClock::now)) {}

void WindowRestorer::restore(const FrontmostAppInfo& app, bool launchIfNeeded, Completion completion) const {
    if (!app.bundleID) {
        completion(WindowRestoreResult::skipped(tr("The recording does not say which app was in front.")));
        return;
    }
    const std::string& bundleID = *app.bundleID;
    auto attempt = std::make_shared<const Attempt>(
        Attempt{workspace_, windows_, mainQueue_, nowNanos_, app, app.name.value_or(bundleID), std::move(completion)});

    const std::vector<RunningApplication> running = workspace_->runningApplications(bundleID);
    if (!running.empty()) {
        activateThenPosition(attempt, running.front());
        return;
    }
    if (!launchIfNeeded) {
        attempt->completion(attempt->skipped(tr(" is not running.")));
        return;
    }
    if (!workspace_->isInstalled(bundleID)) {
        attempt->completion(attempt->skipped(tr(" is not installed on ") + tr(thisComputer) + "."));
        return;
    }
    // The launch may report back on any thread; everything after it runs on the main queue.
    workspace_->launch(bundleID, [attempt](std::optional<RunningApplication> app) {
        attempt->mainQueue->post([attempt, app = std::move(app)] { launched(attempt, app); });
    });
}

}  // namespace brevanor
