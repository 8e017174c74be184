#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/values/Point.h"
#include "base/values/TapEvent.h"
#include "platform/x11/X11ServerClock.h"
#include "platform/x11/X11SyntheticJournal.h"
#include "platform/x11/X11WindowProcessIds.h"

struct _XDisplay;

namespace brevanor {

// Turns the XInput 2 raw events of one connection into TapEvents. Raw events
// carry the button or key and the source device only: the position comes
// from the server's own record of the event where the listener has it (see
// X11RecordedPositions). Without it, one of Brevanor's own moves is at the
// absolute position it carries, and any other event where the server says
// the pointer is now, which is exact only while the listener keeps up. The
// modifier flags, click counts and auto-repeat are worked out here from the
// stream itself, so they stay exact when the listener falls behind the
// server; and events from an XTest device are Brevanor's own when the
// journal holds them. Used by the listener thread only.
class X11RawEventConverter {
public:
    // What the listener keeps of one XIRawEvent until it knows where it happened.
    struct Raw {
        int type = 0;  // XI_RawKeyPress ... XI_RawMotion, or XI_HierarchyChanged
        int sourceId = 0;
        unsigned int detail = 0;
        bool repeatFlag = false;
        unsigned long serverMillis = 0;
        std::optional<double> x;  // the raw values of the first two axes, where the event sets them
        std::optional<double> y;
        std::uint64_t receivedAtNanos = 0;
    };

    // Selects the raw events (and device hierarchy changes) on the root window; false when the server refuses.
    static bool selectEvents(_XDisplay* display);
    // The parts of an XIRawEvent (or hierarchy event) that conversion needs.
    static Raw read(const void* event, std::uint64_t receivedAtNanos);
    // The core event type (KeyPress ... MotionNotify) the server records for a
    // raw event, or 0 for raw events that record none (hierarchy changes, scroll-axis motion).
    static int coreType(const Raw& raw);

    X11RawEventConverter(_XDisplay* display, std::shared_ptr<X11SyntheticJournal> journal);

    // Reads which devices are XTest devices (again after the device hierarchy changed).
    void refreshDevices();
    // The TapEvent of one raw event at `recorded`, the root position the
    // server recorded for it (none when unknown), or nothing for events that
    // are no input of their own (wheel releases, pure scroll-valuator motion).
    std::optional<TapEvent> convert(const Raw& raw, std::optional<Point> recorded);

    // Presses of one button closer than this in time and space count up the click count.
    static constexpr std::uint64_t kMultiClickNanos = 500'000'000;
    static constexpr int kMultiClickDistance = 4;
    // Pointer motion looks up the window under the pointer at most this often.
    static constexpr std::uint64_t kMotionTargetNanos = 50'000'000;

private:
    struct Pointer {
        Point location;
        bool capsLocked = false;
    };
    struct LastPress {
        unsigned int button = 0;
        std::uint64_t atNanos = 0;
        Point location;
        std::int64_t clickCount = 0;
    };

    Pointer queryPointer();
    // Where an event happened: where the server recorded it, else where the pointer is now.
    Point locate(std::optional<Point> recorded);
    // The process of the top-level window at `location`; for motion, looked up at most every kMotionTargetNanos.
    std::int32_t processAt(Point location, bool motion, std::uint64_t atNanos);
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
    std::int32_t motionTarget_ = 0;
    std::optional<std::uint64_t> motionTargetAtNanos_;
    X11ServerClock clock_;
};

}  // namespace brevanor
