#pragma once

#include <chrono>
#include <memory>

#include "base/platform/WindowAccess.h"
#include "platform/x11/X11Applications.h"

namespace brevanor {

// Reads and moves the managed windows of an X session. Positions and sizes are
// those of the frame the user sees (decorations included, _NET_FRAME_EXTENTS),
// so a frame that is read back after it was set matches. Moves and resizes go
// through the window manager; each set waits, for at most `settleTimeout`, until
// the window manager has acted, so that the next read sees the frame the window
// really got. Main thread only.
class X11WindowAccess final : public WindowAccess {
public:
    // Needs the session's applications (shared with X11WorkspaceService).
    explicit X11WindowAccess(std::shared_ptr<X11Applications> applications,
                             std::chrono::milliseconds settleTimeout = std::chrono::milliseconds(500));

    // Any X client may read and move windows: true while the server is there.
    bool isTrusted() override;
    // Front to back.
    std::vector<WindowHandle> windows(const RunningApplication& app) override;
    // The active window, when it is the application's.
    std::optional<WindowHandle> focusedWindow(const RunningApplication& app) override;
    // The front-most of the application's windows that is not a dialog of another.
    std::optional<WindowHandle> mainWindow(const RunningApplication& app) override;
    std::optional<std::string> title(WindowHandle window) override;
    std::optional<Point> position(WindowHandle window) override;
    std::optional<Size> size(WindowHandle window) override;
    std::optional<bool> isFullScreen(WindowHandle window) override;
    // Unless the window manager leaves the move (or resize) out of the window's allowed
    // actions; a window whose minimum and maximum size agree cannot be resized.
    bool isPositionSettable(WindowHandle window) override;
    bool isSizeSettable(WindowHandle window) override;
    void setPosition(WindowHandle window, Point position) override;
    void setSize(WindowHandle window, Size size) override;

private:
    bool allows(WindowHandle window, const char* action);
    void waitUntilChanged(WindowHandle window, const FrameRect& before);

    std::shared_ptr<X11Applications> applications_;
    std::chrono::milliseconds settleTimeout_;
};

}  // namespace brevanor
