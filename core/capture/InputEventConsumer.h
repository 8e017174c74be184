#pragma once

#include "base/values/TapEvent.h"

namespace brevanor {

// Receives the events of the system-wide listener (InputEventTap). The listener
// holds its consumers weakly, so implementations are owned by std::shared_ptr.
class InputEventConsumer {
public:
    virtual ~InputEventConsumer() = default;

    // One event, called on the listener's serial delivery queue, one at a time and
    // in arrival order; never on the listener's own thread. A consumer that shares
    // state with other threads guards it with a lock of its own. An exception
    // thrown here drops that event for this consumer only.
    virtual void consume(const TapEvent& event) = 0;
};

}  // namespace brevanor
