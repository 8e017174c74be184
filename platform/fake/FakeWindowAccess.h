#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/platform/WindowAccess.h"
#include "base/time/Clock.h"

namespace brevanor {

// Windows scripted by the test: titles, frames, full screen, windows that
// cannot be moved, refuse to, land off target or show up late. Records every
// move and resize in order.
class FakeWindowAccess final : public WindowAccess {
public:
    struct Window {
        std::int32_t pid = 0;
        std::optional<std::string> title;
        std::optional<Point> position;  // nothing: cannot be read
        std::optional<Size> size;       // nothing: cannot be read
        std::optional<bool> fullScreen = false;
        bool positionSettable = true;
        bool sizeSettable = true;
        bool refusesToMove = false;        // position requests are ignored
        bool refusesToResize = false;      // size requests are ignored
        Point landingOffset;               // a move lands this far from where it was asked to
        std::uint64_t appearsAtNanos = 0;  // the window exists from this time of the clock on
    };

    struct Write {
        enum class What { position, size };
        WindowHandle window;
        What what = What::position;
        double first = 0;   // x or width
        double second = 0;  // y or height
        friend bool operator==(const Write&, const Write&) = default;
    };

    // `nowNanos` decides which windows have appeared yet; without it all have.
    explicit FakeWindowAccess(Clock nowNanos = {});

    WindowHandle addWindow(Window window);
    Window& window(WindowHandle handle);
    void setFocusedWindow(std::int32_t pid, std::optional<WindowHandle> handle);
    void setMainWindow(std::int32_t pid, std::optional<WindowHandle> handle);

    bool isTrusted() override;
    std::vector<WindowHandle> windows(const RunningApplication& app) override;
    std::optional<WindowHandle> focusedWindow(const RunningApplication& app) override;
    std::optional<WindowHandle> mainWindow(const RunningApplication& app) override;
    std::optional<std::string> title(WindowHandle window) override;
    std::optional<Point> position(WindowHandle window) override;
    std::optional<Size> size(WindowHandle window) override;
    std::optional<bool> isFullScreen(WindowHandle window) override;
    bool isPositionSettable(WindowHandle window) override;
    bool isSizeSettable(WindowHandle window) override;
    void setPosition(WindowHandle window, Point position) override;
    void setSize(WindowHandle window, Size size) override;

    bool trusted = true;
    std::vector<Write> writes;

private:
    // The window if it exists by now.
    Window* find(WindowHandle handle);
    std::optional<WindowHandle> visible(const std::map<std::int32_t, WindowHandle>& byPid, std::int32_t pid);

    Clock nowNanos_;
    std::map<std::uint64_t, Window> windows_;  // by handle value, in the order they were added
    std::map<std::int32_t, WindowHandle> focused_;
    std::map<std::int32_t, WindowHandle> main_;
    std::uint64_t nextHandle_ = 1;
};

}  // namespace brevanor
