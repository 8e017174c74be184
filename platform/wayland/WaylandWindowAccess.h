#pragma once

#include "base/platform/WindowAccess.h"

namespace brevanor {

// Wayland gives a client no access to other clients' windows: not trusted, and
// every reader yields nothing, so the window restorer says it cannot restore.
class WaylandWindowAccess final : public WindowAccess {
public:
    bool isTrusted() override { return false; }
    std::vector<WindowHandle> windows(const RunningApplication&) override { return {}; }
    std::optional<WindowHandle> focusedWindow(const RunningApplication&) override { return std::nullopt; }
    std::optional<WindowHandle> mainWindow(const RunningApplication&) override { return std::nullopt; }
    std::optional<std::string> title(WindowHandle) override { return std::nullopt; }
    std::optional<Point> position(WindowHandle) override { return std::nullopt; }
    std::optional<Size> size(WindowHandle) override { return std::nullopt; }
    std::optional<bool> isFullScreen(WindowHandle) override { return std::nullopt; }
    bool isPositionSettable(WindowHandle) override { return false; }
    bool isSizeSettable(WindowHandle) override { return false; }
    void setPosition(WindowHandle, Point) override {}
    void setSize(WindowHandle, Size) override {}
};

}  // namespace brevanor
