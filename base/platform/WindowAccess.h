#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/platform/RunningApplication.h"
#include "base/values/Point.h"

namespace brevanor {

// An opaque handle of one top-level window of an application.
struct WindowHandle {
    std::uint64_t value = 0;
    friend bool operator==(const WindowHandle&, const WindowHandle&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Reads and moves other applications' windows. Every reader yields nothing
// when the window is gone or the attribute cannot be read. Main thread only.
class WindowAccess {
public:
    virtual ~WindowAccess() = default;

    // Whether this process may read and move windows.
    virtual bool isTrusted() = 0;
    virtual std::vector<WindowHandle> windows(const RunningApplication& app) = 0;
    virtual std::optional<WindowHandle> focusedWindow(const RunningApplication& app) = 0;
    virtual std::optional<WindowHandle> mainWindow(const RunningApplication& app) = 0;
    virtual std::optional<std::string> title(WindowHandle window) = 0;
    // Top-left corner in global display points.
    virtual std::optional<Point> position(WindowHandle window) = 0;
    virtual std::optional<Size> size(WindowHandle window) = 0;
    virtual std::optional<bool> isFullScreen(WindowHandle window) = 0;
    virtual bool isPositionSettable(WindowHandle window) = 0;
    virtual bool isSizeSettable(WindowHandle window) = 0;
    // Requests a move or resize; the result is read back with position() and size().
    virtual void setPosition(WindowHandle window, Point position) = 0;
    virtual void setSize(WindowHandle window, Size size) = 0;
};

}  // namespace brevanor
