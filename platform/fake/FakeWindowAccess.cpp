#include "platform/fake/FakeWindowAccess.h"

#include <stdexcept>

namespace brevanor {

FakeWindowAccess::FakeWindowAccess(Clock nowNanos) : nowNanos_(std::move(nowNanos)) {}

WindowHandle FakeWindowAccess::addWindow(Window window) {
    const WindowHandle handle{nextHandle_++};
    windows_.emplace(handle.value, std::move(window));
    return handle;
}

FakeWindowAccess::Window& FakeWindowAccess::window(WindowHandle handle) {
    const auto found = windows_.find(handle.value);
    if (found == windows_.end()) throw std::out_of_range("no fake window " + std::to_string(handle.value));
    return found->second;
}

void FakeWindowAccess::setFocusedWindow(std::int32_t pid, std::optional<WindowHandle> handle) {
    if (handle) {
        focused_[pid] = *handle;
    } else {
        focused_.erase(pid);
    }
}

void FakeWindowAccess::setMainWindow(std::int32_t pid, std::optional<WindowHandle> handle) {
    if (handle) {
        main_[pid] = *handle;
    } else {
        main_.erase(pid);
    }
}

FakeWindowAccess::Window* FakeWindowAccess::find(WindowHandle handle) {
    const auto found = windows_.find(handle.value);
    if (found == windows_.end()) return nullptr;
    if (nowNanos_ && nowNanos_() < found->second.appearsAtNanos) return nullptr;
    return &found->second;
}

std::optional<WindowHandle> FakeWindowAccess::visible(const std::map<std::int32_t, WindowHandle>& byPid,
                                                      std::int32_t pid) {
    const auto found = byPid.find(pid);
    if (found == byPid.end() || find(found->second) == nullptr) return std::nullopt;
    return found->second;
}

bool FakeWindowAccess::isTrusted() { return trusted; }

std::vector<WindowHandle> FakeWindowAccess::windows(const RunningApplication& app) {
    std::vector<WindowHandle> handles;
    for (const auto& [value, window] : windows_) {
        if (window.pid == app.pid && find(WindowHandle{value}) != nullptr) handles.push_back(WindowHandle{value});
    }
    return handles;
}

std::optional<WindowHandle> FakeWindowAccess::focusedWindow(const RunningApplication& app) {
    return visible(focused_, app.pid);
}

std::optional<WindowHandle> FakeWindowAccess::mainWindow(const RunningApplication& app) {
    return visible(main_, app.pid);
}

std::optional<std::string> FakeWindowAccess::title(WindowHandle handle) {
    const Window* window = find(handle);
    return window ? window->title : std::nullopt;
}

std::optional<Point> FakeWindowAccess::position(WindowHandle handle) {
    const Window* window = find(handle);
    return window ? window->position : std::nullopt;
}

std::optional<Size> FakeWindowAccess::size(WindowHandle handle) {
    const Window* window = find(handle);
    return window ? window->size : std::nullopt;
}

std::optional<bool> FakeWindowAccess::isFullScreen(WindowHandle handle) {
    const Window* window = find(handle);
    return window ? window->fullScreen : std::nullopt;
}

bool FakeWindowAccess::isPositionSettable(WindowHandle handle) {
    const Window* window = find(handle);
    return window && window->positionSettable;
}

bool FakeWindowAccess::isSizeSettable(WindowHandle handle) {
    const Window* window = find(handle);
    return window && window->sizeSettable;
}

void FakeWindowAccess::setPosition(WindowHandle handle, Point position) {
    writes.push_back({handle, Write::What::position, position.x, position.y});
    Window* window = find(handle);
    if (!window || window->refusesToMove || !window->position) return;
    window->position = Point{position.x + window->landingOffset.x, position.y + window->landingOffset.y};
}

void FakeWindowAccess::setSize(WindowHandle handle, Size size) {
    writes.push_back({handle, Write::What::size, size.width, size.height});
    Window* window = find(handle);
    if (!window || window->refusesToResize || !window->size) return;
    window->size = size;
}

}  // namespace brevanor
