#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/values/FrameRect.h"
#include "platform/x11/X11Connection.h"

namespace brevanor {

// An X window id (Xlib's Window), kept free of Xlib's headers.
using XWindowId = unsigned long;

// Reads the top-level windows a window manager manages through their EWMH and
// ICCCM properties, and asks the window manager to change them, on one
// connection. Every reader yields nothing (or an empty list) when the window is
// gone, the property is absent or the server went away; no request ends the
// program. Not for concurrent use: its owners call it from one thread.
class X11Ewmh {
public:
    struct WindowClass {
        std::string instance;  // WM_CLASS res_name
        std::string name;      // WM_CLASS res_class
    };
    struct FrameExtents {
        long left = 0, right = 0, top = 0, bottom = 0;
    };

    explicit X11Ewmh(std::shared_ptr<X11Connection> connection);

    bool isAlive() const { return connection_->isAlive(); }
    XWindowId root() const { return root_; }
    // Whether a running window manager announces `feature` (an atom name) in _NET_SUPPORTED.
    bool supports(const char* feature);

    std::optional<XWindowId> activeWindow();
    // The managed windows from the one in front to the one at the back
    // (_NET_CLIENT_LIST_STACKING, else _NET_CLIENT_LIST); empty without a window manager.
    std::vector<XWindowId> clientsFrontToBack();

    std::optional<std::int32_t> processId(XWindowId window);
    // The program file name of the window's process when it runs on this machine.
    std::optional<std::string> programName(XWindowId window);
    std::optional<WindowClass> windowClass(XWindowId window);
    // _NET_WM_NAME, else WM_NAME, as UTF-8.
    std::optional<std::string> title(XWindowId window);
    // The names of the atoms in a list property (_NET_WM_STATE, _NET_WM_WINDOW_TYPE,
    // _NET_WM_ALLOWED_ACTIONS); nothing when the window or the property is absent.
    std::optional<std::vector<std::string>> atomList(XWindowId window, const char* property);
    std::optional<XWindowId> transientFor(XWindowId window);
    // WM_NORMAL_HINTS: true when the minimum and the maximum size are both set and equal.
    std::optional<bool> hasFixedSize(XWindowId window);

    // The frame as the user sees it, decorations included, in root coordinates.
    std::optional<FrameRect> frame(XWindowId window);
    FrameExtents frameExtents(XWindowId window);

    // Asks the window manager to make `window` active (a pager's request, which
    // focus-stealing prevention lets through).
    void requestActivation(XWindowId window);
    // Asks the window manager to put the frame's top-left corner at (x, y) and/or
    // make the client area width × height; without a window manager, configures the window itself.
    void requestMoveResize(XWindowId window, std::optional<std::pair<int, int>> topLeft,
                           std::optional<std::pair<int, int>> clientSize);

private:
    unsigned long atom(const char* name);
    std::optional<std::vector<unsigned long>> longs(XWindowId window, const char* property, unsigned long type);
    std::optional<std::string> bytes(XWindowId window, unsigned long property, unsigned long type);

    std::shared_ptr<X11Connection> connection_;
    XWindowId root_ = 0;
};

}  // namespace brevanor
