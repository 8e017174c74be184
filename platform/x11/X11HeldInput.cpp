#include "platform/x11/X11HeldInput.h"

#include <algorithm>

#include <X11/Xlib.h>

#include "base/platform/PlatformServices.h"

namespace brevanor {

X11HeldInput::X11HeldInput(std::string displayName) : displayName_(std::move(displayName)) {}

X11Connection* X11HeldInput::connection() {
    if (connection_ && connection_->isAlive()) return connection_.get();
    try {
        connection_ = std::make_unique<X11Connection>(displayName_);
    } catch (const PlatformUnavailableError&) {
        connection_.reset();
    }
    return connection_.get();
}

bool X11HeldInput::isAnyKeyOrButtonHeld() {
    X11Connection* x = connection();
    if (!x) return false;
    Display* display = x->display();
    char keys[32] = {};
    XQueryKeymap(display, keys);
    const bool keyHeld = std::any_of(std::begin(keys), std::end(keys), [](char bits) { return bits != 0; });
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    constexpr unsigned int kButtons = Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask;
    // A server that went away answered nothing: nothing is known to be held.
    return x->isAlive() && (keyHeld || (mask & kButtons) != 0);
}

}  // namespace brevanor
