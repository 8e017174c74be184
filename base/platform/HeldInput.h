#pragma once

namespace brevanor {

// Whether the user physically holds a key or a mouse button right now, so that
// a playback can wait for the hands to leave the devices before its first
// event (a replayed "a" would otherwise merge with a still-held Ctrl into
// Ctrl+a). Main thread only.
class HeldInput {
public:
    virtual ~HeldInput() = default;

    // True while any key or button is down; false also when the state cannot be read.
    virtual bool isAnyKeyOrButtonHeld() = 0;
};

}  // namespace brevanor
