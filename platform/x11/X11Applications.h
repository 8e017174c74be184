#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/platform/RunningApplication.h"
#include "platform/x11/DesktopEntryCatalog.h"
#include "platform/x11/X11Ewmh.h"

namespace brevanor {

// The running applications of an X session as the window manager sees them:
// the managed windows grouped by application id and process. An application's
// id is the id of its desktop entry where one can be found, else its WM_CLASS
// class; this process's own windows carry Brevanor's id, installed or not.
// Applications without a managed window are not seen. One thread only.
class X11Applications {
public:
    static constexpr const char* kOwnApplicationId = "com.brevanor.Brevanor";

    X11Applications(std::shared_ptr<X11Ewmh> ewmh, std::shared_ptr<DesktopEntryCatalog> catalog);

    X11Ewmh& ewmh() { return *ewmh_; }
    DesktopEntryCatalog& catalog() { return *catalog_; }

    // The application `window` belongs to; nothing when the window is gone.
    std::optional<RunningApplication> applicationOf(XWindowId window);
    // One entry per application and process, in the order their first window appears front to back.
    std::vector<RunningApplication> running();
    // The application's managed windows, front to back, docks and desktops left
    // out: those with its id and process, or, when its process shows none (a
    // launcher that handed over to another process, or no process id known),
    // those with its id. Without an id: those of its process.
    std::vector<XWindowId> windowsOf(const RunningApplication& application);

private:
    struct Client {
        XWindowId window;
        RunningApplication application;
    };
    std::vector<Client> clients();

    std::shared_ptr<X11Ewmh> ewmh_;
    std::shared_ptr<DesktopEntryCatalog> catalog_;
    std::int32_t ownPid_;
};

}  // namespace brevanor
