#include "platform/x11/X11WindowAccess.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace brevanor {

namespace {

int rounded(double value) { return static_cast<int>(std::lround(std::clamp(value, -1e6, 1e6))); }

}  // namespace

X11WindowAccess::X11WindowAccess(std::shared_ptr<X11Applications> applications, std::chrono::milliseconds settleTimeout)
    : applications_(std::move(applications)), settleTimeout_(settleTimeout) {}

bool X11WindowAccess::isTrusted() { return applications_->ewmh().isAlive(); }

std::vector<WindowHandle> X11WindowAccess::windows(const RunningApplication& app) {
    std::vector<WindowHandle> handles;
    for (const XWindowId window : applications_->windowsOf(app)) handles.push_back({window});
    return handles;
}

std::optional<WindowHandle> X11WindowAccess::focusedWindow(const RunningApplication& app) {
    const auto active = applications_->ewmh().activeWindow();
    if (!active) return std::nullopt;
    const auto own = applications_->windowsOf(app);
    if (std::find(own.begin(), own.end(), *active) == own.end()) return std::nullopt;
    return WindowHandle{*active};
}

std::optional<WindowHandle> X11WindowAccess::mainWindow(const RunningApplication& app) {
    const auto own = applications_->windowsOf(app);
    if (own.empty()) return std::nullopt;
    const auto main = std::find_if(own.begin(), own.end(),
                                   [this](XWindowId window) { return !applications_->ewmh().transientFor(window); });
    return WindowHandle{main != own.end() ? *main : own.front()};
}

std::optional<std::string> X11WindowAccess::title(WindowHandle window) {
    return applications_->ewmh().title(window.value);
}

std::optional<Point> X11WindowAccess::position(WindowHandle window) {
    const auto frame = applications_->ewmh().frame(window.value);
    if (!frame) return std::nullopt;
    return Point{frame->x, frame->y};
}

std::optional<Size> X11WindowAccess::size(WindowHandle window) {
    const auto frame = applications_->ewmh().frame(window.value);
    if (!frame) return std::nullopt;
    return Size{frame->width, frame->height};
}

std::optional<bool> X11WindowAccess::isFullScreen(WindowHandle window) {
    auto& ewmh = applications_->ewmh();
    const auto states = ewmh.atomList(window.value, "_NET_WM_STATE");
    if (states) return std::find(states->begin(), states->end(), "_NET_WM_STATE_FULLSCREEN") != states->end();
    // No state at all is a window in no special state, unless the window is gone.
    if (!ewmh.frame(window.value)) return std::nullopt;
    return false;
}

bool X11WindowAccess::allows(WindowHandle window, const char* action) {
    const auto actions = applications_->ewmh().atomList(window.value, "_NET_WM_ALLOWED_ACTIONS");
    // A window manager that does not publish allowed actions restricts none.
    return !actions || std::find(actions->begin(), actions->end(), action) != actions->end();
}

bool X11WindowAccess::isPositionSettable(WindowHandle window) {
    if (!applications_->ewmh().frame(window.value)) return false;
    return allows(window, "_NET_WM_ACTION_MOVE");
}

bool X11WindowAccess::isSizeSettable(WindowHandle window) {
    const auto fixed = applications_->ewmh().hasFixedSize(window.value);
    if (!fixed || *fixed) return false;
    return allows(window, "_NET_WM_ACTION_RESIZE");
}

void X11WindowAccess::setPosition(WindowHandle window, Point position) {
    auto& ewmh = applications_->ewmh();
    const auto before = ewmh.frame(window.value);
    if (!before) return;
    const std::pair target{rounded(position.x), rounded(position.y)};
    if (target == std::pair{rounded(before->x), rounded(before->y)}) return;
    ewmh.requestMoveResize(window.value, target, std::nullopt);
    waitUntilChanged(window, *before);
}

void X11WindowAccess::setSize(WindowHandle window, Size size) {
    auto& ewmh = applications_->ewmh();
    const auto before = ewmh.frame(window.value);
    if (!before) return;
    // The request names the client area; the size given is the whole frame's.
    const auto extents = ewmh.frameExtents(window.value);
    const std::pair client{std::max(1, rounded(size.width) - static_cast<int>(extents.left + extents.right)),
                           std::max(1, rounded(size.height) - static_cast<int>(extents.top + extents.bottom))};
    if (rounded(size.width) == rounded(before->width) && rounded(size.height) == rounded(before->height)) return;
    ewmh.requestMoveResize(window.value, std::nullopt, client);
    waitUntilChanged(window, *before);
}

void X11WindowAccess::waitUntilChanged(WindowHandle window, const FrameRect& before) {
    // The window manager acts on its own time; a refused request never changes anything.
    const auto deadline = std::chrono::steady_clock::now() + settleTimeout_;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto now = applications_->ewmh().frame(window.value);
        if (!now || *now != before) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace brevanor
