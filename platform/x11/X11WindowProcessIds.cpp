#include "platform/x11/X11WindowProcessIds.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Owned.h"

namespace brevanor {

X11WindowProcessIds::X11WindowProcessIds(Display* display)
    : display_(display), pidAtom_(XInternAtom(display, "_NET_WM_PID", False)) {}

std::int32_t X11WindowProcessIds::processId(unsigned long window) {
    if (window == None) return 0;
    if (auto found = known_.find(window); found != known_.end()) return found->second;
    std::int32_t pid = 0;
    {
        // The window may vanish between two of these requests.
        X11Connection::ErrorTrap trap(display_);
        pid = lookUp(window, 0);
        if (trap.sync() != 0) pid = 0;
    }
    // Window ids are reused only after many windows; a full table starts over.
    if (known_.size() >= kCapacity) known_.clear();
    known_.emplace(window, pid);
    return pid;
}

std::int32_t X11WindowProcessIds::lookUp(unsigned long window, int depth) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* raw = nullptr;
    const int status = XGetWindowProperty(display_, window, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                                          &remaining, &raw);
    const X11Owned<unsigned char> data(raw);
    if (status == Success && data && format == 32 && count == 1) {
        if (const auto pid = static_cast<std::int32_t>(*reinterpret_cast<long*>(data.get())); pid != 0) return pid;
    }
    if (depth >= 2) return 0;
    Window root = None, parent = None;
    Window* rawChildren = nullptr;
    unsigned int childCount = 0;
    if (!XQueryTree(display_, window, &root, &parent, &rawChildren, &childCount)) return 0;
    const X11Owned<Window[]> children(rawChildren);
    std::int32_t pid = 0;
    for (unsigned int i = 0; i < childCount && pid == 0; ++i) pid = lookUp(children[i], depth + 1);
    return pid;
}

}  // namespace brevanor
