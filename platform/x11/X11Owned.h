#pragma once

#include <memory>

#include <X11/Xlib.h>

namespace brevanor {

// Gives back what an Xlib call handed out through the call's own release
// function, so that an early return or a throw leaks nothing.
template <auto release>
struct X11Release {
    template <typename T>
    void operator()(T* resource) const {
        if (resource) release(resource);
    }
};

// Memory that Xlib allocated and XFree releases.
template <typename T>
using X11Owned = std::unique_ptr<T, X11Release<XFree>>;

}  // namespace brevanor
