#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/model/TapEvent.h"
#include "platform/x11/X11ServerClock.h"
#include "platform/x11/X11SyntheticJournal.h"
#include "platform/x11/X11WindowProcessIds.h"

struct _XDisplay;

namespace brevanor {

// Turns the XInput 2 raw events of one connection into TapEvents. Raw events
// carry the button or key and the source device only: the position and the
// window under the pointer are asked from the server as each event is
// converted; the modifier flags, click counts and auto-repeat are worked out
// here from the stream itself, so they stay exact when the listener falls
// behind the server; and events from an XTest device are Brevanor's own when
// the journal holds them. Used by the listener thread only.
class X11RawEventConverter {
public:
    // Selects the raw events (and device hierarchy changes) on the root window; false when the server refuses.
    static bool selectEvents(_XDisplay* display);

    X11RawEventConverter(_XDisplay* display, std::shared_ptr<X11SyntheticJournal> journal);

    // Reads which devices are XTest devices (again after the device hierarchy changed).
    void refreshDevices();
    // The TapEvent of one raw event (an XIRawEvent), or nothing for events
    // that are no input of their own (wheel releases, pure scroll-valuator motion).
    std::optional<TapEvent> convert(const void* rawEvent, std::uint64_t receivedAtNanos);

    // Presses of one button closer than this in time and space count up the click count.
    static constexpr std::uint64_t kMultiClickNanos = 500'000'000;
    static constexpr int kMultiClickDistance = 4;

private:
    struct Pointer {
        Point location;
        unsigned long child = 0;  // the top-level window under the pointer
        bool capsLocked = false;
    };
    struct LastPress {
        unsigned int button = 0;
        std::uint64_t atNanos = 0;
        Point location;
        std::int64_t clickCount = 0;
    };

    Pointer queryPointer();
    std::uint64_t modifierFlags() const;
    bool isXTestDevice(int deviceId) const;
    std::optional<TapEvent> convertButton(bool press, unsigned int button, TapEvent event, std::uint64_t atNanos);
    std::optional<TapEvent> convertKey(bool press, unsigned int keyCode, bool repeatFlag, TapEvent event);

    _XDisplay* display_;
    unsigned long root_;
    std::shared_ptr<X11SyntheticJournal> journal_;
    X11WindowProcessIds processIds_;
    std::vector<int> xtestDevices_;
    std::bitset<256> keysDown_;
    bool capsLocked_ = false;
    bool capsUnlocksOnRelease_ = false;  // Caps Lock went down while locked: it unlocks as it comes up
    LastPress lastPress_;
    std::array<std::int64_t, 256> pressClickCounts_{};  // the click count of each button's last press
    X11ServerClock clock_;
};

}  // namespace brevanor
