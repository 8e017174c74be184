#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "base/values/Point.h"

namespace brevanor {

// Where the pointer was for each input event, as the server itself recorded
// it. The RECORD extension reports every core device event with the root
// position the server used, in the server's order; the raw events that tell
// what happened and on which device arrive on another connection. This pairs
// the two: a raw event takes the recorded event of the same kind (and key)
// with the same server time, in order; the recorded events before that one
// had no raw event (a pointer warp, a key's auto-repeat) and are dropped. The server may leave recorded events
// out when it is busy with several recording clients, so a raw event whose
// recorded counterpart is passed by later ones, or never comes, is reported
// lost and placed by the caller some other way. Used by the listener thread only.
class X11RecordedPositions {
public:
    // The core event types (KeyPress 2 ... MotionNotify 6) of the recorded events.
    struct Recorded {
        int coreType = 0;
        unsigned int detail = 0;  // key code; buttons and motion are matched by type alone
        unsigned long serverMillis = 0;
        Point location;
    };
    enum class Answer { found, lost, notYet };
    struct Lookup {
        Answer answer = Answer::lost;
        Point location;  // where the server recorded the event; set when found
        friend bool operator==(const Lookup&, const Lookup&) = default;
    };

    // At most this many recorded events wait for their raw event; older ones had none.
    static constexpr std::size_t kCapacity = 4096;

    void add(const Recorded& recorded);
    // The recorded position of a raw event of core type `coreType`, key code
    // `keyCode` (0 for buttons and motion) and server time `serverMillis`.
    // `absolute`: the position an absolute move carries, which picks its own
    // among moves of the same millisecond.
    Lookup find(int coreType, unsigned int keyCode, unsigned long serverMillis, std::optional<Point> absolute = {});

private:
    std::deque<Recorded> recorded_;
};

}  // namespace brevanor
