#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "base/keys/HotkeyChord.h"

namespace brevanor {

// System-wide key combinations. Main thread only.
class HotKeyService {
public:
    // (id of the pressed combination, MonotonicClock time of its key-down)
    using PressHandler = std::function<void(std::uint32_t id, std::uint64_t pressTimeNanos)>;
    virtual ~HotKeyService() = default;

    // Called with the id of each registered combination that is pressed and the
    // time of the press (not of the call, which comes later), on the main queue.
    virtual void setPressHandler(PressHandler handler) = 0;
    // Registers the chord under `id`. Returns 0 on success, else the platform's
    // status code (e.g. the combination is held by another program).
    virtual std::int32_t registerHotKey(std::uint32_t id, HotkeyChord chord) = 0;
    virtual void unregisterHotKey(std::uint32_t id) = 0;
    // The chord a key press in one of the application's own windows forms, read
    // the way registered chords are matched, from what the window system
    // reported for it (on X11 the key event's key code and modifier state).
    // Every flag the state holds is kept, Caps Lock too; nothing when the key
    // has no code here.
    virtual std::optional<HotkeyChord> chordOfKeyEvent(std::uint32_t nativeKeyCode,
                                                       std::uint32_t nativeModifiers) const = 0;
};

}  // namespace brevanor
