#include "tests/e2e/HeldInput.h"

#include <algorithm>
#include <iterator>

#include <X11/Xlib.h>

namespace brevanor {

bool serverHoldsInput(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) return true;
    char keys[32];
    XQueryKeymap(display, keys);
    Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask);
    XCloseDisplay(display);
    const bool anyKey = std::any_of(std::begin(keys), std::end(keys), [](char bits) { return bits != 0; });
    return anyKey || (mask & (Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask)) != 0;
}

}  // namespace brevanor
