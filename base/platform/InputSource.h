#pragma once

#include <functional>

#include "base/values/TapEvent.h"

namespace brevanor {

// The system-wide input listener of one platform: it converts every mouse,
// scroll and keyboard event of the session into a TapEvent (timestamps on
// MonotonicClock, `isSynthetic` set for events Brevanor itself posted).
class InputSource {
public:
    using Sink = std::function<void(const TapEvent&)>;
    virtual ~InputSource() = default;

    // Starts listening and blocks until the source runs (true) or could not be
    // created (false, e.g. no permission or no display). `sink` is called on the
    // source's own thread, in arrival order, and must return quickly.
    virtual bool start(Sink sink) = 0;
    // Stops listening; `sink` is not called once this returns. Harmless when stopped.
    virtual void stop() = 0;
    // Whether the pointer positions of its events are places on the screen.
    // A listener that sees only the mouse's own movements gives their sums
    // from where it started instead, and answers false.
    virtual bool reportsScreenPositions() const { return true; }
    // While on, a source whose events carry no screen positions of their own
    // works to find them (on Wayland it asks the compositor after each click).
    // Off unless a recording needs it, since the asking is not free for the desktop.
    virtual void trackScreenPositions(bool /*on*/) {}
};

}  // namespace brevanor
