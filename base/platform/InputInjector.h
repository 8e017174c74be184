#pragma once

#include <cstdint>
#include <optional>

#include "base/platform/SyntheticInput.h"
#include "base/values/Point.h"

namespace brevanor {

// Posts synthetic input into the session. Every posted event carries Brevanor's
// synthetic marker in whatever form the platform's listener can read back.
class InputInjector {
public:
    virtual ~InputInjector() = default;

    // Sets up now what posting needs, so that a playback's first event does
    // not wait for it (on X11: the guardian process that releases held input
    // should Brevanor die). Called when a playback is requested, on any
    // thread, perhaps more than once; posting works without it.
    virtual void prepareToPost() = 0;
    // Posts one event. False when the platform could not create it (the event is skipped).
    // Called on the playback queue; never blocks for long.
    virtual bool post(const SyntheticInput& input) = 0;
    // The pointer's current position, or nothing when it cannot be read.
    virtual std::optional<Point> cursorPosition() = 0;
    // Whether Brevanor posted a key-down of `keyCode` at most `withinNanos`
    // before `nowNanos` (MonotonicClock), and not after it: through this
    // injector or, where the platform can tell, in another Brevanor process of
    // the session. A shortcut that a replay typed is not the user's. Any thread.
    virtual bool didRecentlyPostKeyDown(std::uint16_t keyCode, std::uint64_t withinNanos, std::uint64_t nowNanos) = 0;
};

}  // namespace brevanor
