#include "platform/x11/X11RawEventConverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include "base/values/ModifierKeys.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyCodeMap.h"
#include "platform/x11/X11Owned.h"

namespace brevanor {

namespace {

using Request = X11SyntheticJournal::Request;

// Wheel clicks arrive as presses of buttons 4 to 7.
constexpr unsigned int kWheelUp = 4, kWheelDown = 5, kWheelLeft = 6, kWheelRight = 7;

constexpr std::uint16_t kCapsLockKeyCode = ModifierKeys::capsLockKeyCode;
constexpr std::uint64_t kCapsLockFlag = ModifierKeys::alphaShiftMask;

// The flag each modifier key sets while it is down (Caps Lock's is its lock state instead).
std::uint64_t modifierFlag(std::uint16_t neutralKeyCode) {
    if (neutralKeyCode == kCapsLockKeyCode) return 0;
    return ModifierKeys::flagMask(neutralKeyCode).value_or(0);
}

using ModifierKeys::isModifierKey;

// Buttons as the event-flag layout numbers them: left 0, right 1, middle 2,
// then the buttons after the wheel (X 8, 9, ...) as 3, 4, ...
std::pair<MouseButton, std::int64_t> neutralButton(unsigned int xButton) {
    switch (xButton) {
        case 1: return {MouseButton::left, 0};
        case 2: return {MouseButton::middle, 2};
        case 3: return {MouseButton::right, 1};
        default: return {MouseButton::other, static_cast<std::int64_t>(xButton) - 5};
    }
}

// The valuator values of the axes a raw event sets, by axis number.
std::optional<double> valuator(const XIRawEvent& raw, int axis, bool rawValue) {
    if (axis >= raw.valuators.mask_len * 8 || !XIMaskIsSet(raw.valuators.mask, axis)) return std::nullopt;
    int index = 0;
    for (int i = 0; i < axis; ++i) {
        if (XIMaskIsSet(raw.valuators.mask, i)) ++index;
    }
    return rawValue ? raw.raw_values[index] : raw.valuators.values[index];
}

}  // namespace

bool X11RawEventConverter::selectEvents(Display* display) {
    // Raw events of the master devices carry the slave they came from; hierarchy
    // changes can only be selected for all devices.
    unsigned char rawBits[XIMaskLen(XI_LASTEVENT)] = {};
    for (int type : {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease, XI_RawMotion}) {
        XISetMask(rawBits, type);
    }
    unsigned char hierarchyBits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(hierarchyBits, XI_HierarchyChanged);
    XIEventMask masks[2] = {{XIAllMasterDevices, sizeof rawBits, rawBits},
                            {XIAllDevices, sizeof hierarchyBits, hierarchyBits}};
    X11Connection::ErrorTrap trap(display);
    XISelectEvents(display, DefaultRootWindow(display), masks, 2);
    return trap.sync() == 0;
}

X11RawEventConverter::X11RawEventConverter(Display* display, std::shared_ptr<X11SyntheticJournal> journal)
    : display_(display), root_(DefaultRootWindow(display)), journal_(std::move(journal)), processIds_(display) {
    refreshDevices();
    // Keys already down when listening starts are released later: those releases count.
    char keys[32] = {};
    XQueryKeymap(display, keys);
    for (int code = 0; code < 256; ++code) keysDown_.set(code, (keys[code / 8] >> (code % 8)) & 1);
    capsLocked_ = queryPointer().capsLocked;
}

void X11RawEventConverter::refreshDevices() {
    xtestDevices_.clear();
    const Atom xtestProperty = XInternAtom(display_, "XTEST Device", True);
    int count = 0;
    const std::unique_ptr<XIDeviceInfo[], X11Release<XIFreeDeviceInfo>> devices(
        XIQueryDevice(display_, XIAllDevices, &count));
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& device = devices[i];
        if (device.use != XISlavePointer && device.use != XISlaveKeyboard && device.use != XIFloatingSlave) continue;
        bool isXTest = std::strstr(device.name, "XTEST") != nullptr;
        if (xtestProperty != None) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0, remaining = 0;
            unsigned char* raw = nullptr;
            const int status = XIGetProperty(display_, device.deviceid, xtestProperty, 0, 1, False, AnyPropertyType,
                                             &type, &format, &items, &remaining, &raw);
            const X11Owned<unsigned char> data(raw);
            if (status == Success && type != None) isXTest = true;
        }
        if (isXTest) xtestDevices_.push_back(device.deviceid);
    }
}

bool X11RawEventConverter::isXTestDevice(int deviceId) const {
    return std::find(xtestDevices_.begin(), xtestDevices_.end(), deviceId) != xtestDevices_.end();
}

X11RawEventConverter::Pointer X11RawEventConverter::queryPointer() {
    Window root = None, child = None;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    Pointer pointer;
    if (XQueryPointer(display_, root_, &root, &child, &rootX, &rootY, &windowX, &windowY, &mask)) {
        pointer.location = {static_cast<double>(rootX), static_cast<double>(rootY)};
        pointer.capsLocked = (mask & LockMask) != 0;
    }
    return pointer;
}

std::uint64_t X11RawEventConverter::modifierFlags() const {
    std::uint64_t flags = capsLocked_ ? kCapsLockFlag : 0;
    for (unsigned int key = 0; key < keysDown_.size(); ++key) {
        if (keysDown_.test(key)) flags |= modifierFlag(X11KeyCodeMap::neutralKeyCode(static_cast<std::uint8_t>(key)));
    }
    return flags;
}

X11RawEventConverter::Raw X11RawEventConverter::read(const void* event, std::uint64_t receivedAtNanos) {
    const auto& raw = *static_cast<const XIRawEvent*>(event);
    Raw kept;
    kept.type = raw.evtype;
    kept.receivedAtNanos = receivedAtNanos;
    if (raw.evtype == XI_HierarchyChanged) return kept;
    kept.sourceId = raw.sourceid;
    kept.detail = static_cast<unsigned int>(raw.detail);
    kept.repeatFlag = (raw.flags & XIKeyRepeat) != 0;
    kept.serverMillis = raw.time;
    if (raw.evtype == XI_RawMotion) {
        kept.x = valuator(raw, 0, true);
        kept.y = valuator(raw, 1, true);
    }
    return kept;
}

int X11RawEventConverter::coreType(const Raw& raw) {
    switch (raw.type) {
        case XI_RawKeyPress: return KeyPress;
        case XI_RawKeyRelease: return KeyRelease;
        case XI_RawButtonPress: return ButtonPress;
        case XI_RawButtonRelease: return ButtonRelease;
        case XI_RawMotion: return raw.x || raw.y ? MotionNotify : 0;
        default: return 0;
    }
}

Point X11RawEventConverter::locate(std::optional<Point> recorded) {
    return recorded ? *recorded : queryPointer().location;
}

std::int32_t X11RawEventConverter::processAt(Point location, bool motion, std::uint64_t atNanos) {
    // Moves come by the thousand: their window is looked up now and then, which is plenty to tell whose it is.
    if (motion && motionTargetAtNanos_ && atNanos - *motionTargetAtNanos_ < kMotionTargetNanos) return motionTarget_;
    Window child = None;
    int x = 0, y = 0;
    XTranslateCoordinates(display_, root_, root_, static_cast<int>(location.x), static_cast<int>(location.y), &x, &y,
                          &child);
    const std::int32_t process = processIds_.processId(child);
    if (motion) {
        motionTarget_ = process;
        motionTargetAtNanos_ = atNanos;
    }
    return process;
}

std::optional<TapEvent> X11RawEventConverter::convert(const Raw& raw, std::optional<Point> recorded) {
    if (raw.type == XI_HierarchyChanged) {
        refreshDevices();
        return std::nullopt;
    }
    const bool fromXTest = isXTestDevice(raw.sourceId);
    TapEvent event;
    event.timestamp = clock_.monotonicNanos(raw.serverMillis, raw.receivedAtNanos);
    const unsigned int detail = raw.detail;

    switch (raw.type) {
        case XI_RawMotion: {
            // Motion of the scroll axes only: its wheel clicks arrive as button events.
            if (!raw.x && !raw.y) return std::nullopt;
            if (fromXTest && raw.x && raw.y) {
                event.isSynthetic = journal_->claim(Request::motion, 0, static_cast<int>(std::lround(*raw.x)),
                                                    static_cast<int>(std::lround(*raw.y)), raw.receivedAtNanos);
            }
            // Brevanor moves to absolute positions, so the raw values of its own moves are that position.
            if (!recorded && event.isSynthetic) recorded = Point{std::round(*raw.x), std::round(*raw.y)};
            event.location = locate(recorded);
            event.flags = modifierFlags();
            event.targetPID = processAt(event.location, true, event.timestamp);
            return event;
        }
        case XI_RawButtonPress:
        case XI_RawButtonRelease: {
            const bool press = raw.type == XI_RawButtonPress;
            if (fromXTest) {
                event.isSynthetic = journal_->claim(press ? Request::buttonPress : Request::buttonRelease, detail, 0, 0,
                                                    raw.receivedAtNanos);
            }
            event.location = locate(recorded);
            return convertButton(press, detail, event, event.timestamp);
        }
        case XI_RawKeyPress:
        case XI_RawKeyRelease: {
            const bool press = raw.type == XI_RawKeyPress;
            if (fromXTest) {
                event.isSynthetic =
                    journal_->claim(press ? Request::keyPress : Request::keyRelease, detail, 0, 0, raw.receivedAtNanos);
            }
            event.location = locate(recorded);
            return convertKey(press, detail, raw.repeatFlag, event);
        }
        default: return std::nullopt;
    }
}

std::optional<TapEvent> X11RawEventConverter::convertButton(bool press, unsigned int button, TapEvent event,
                                                            std::uint64_t atNanos) {
    if (button >= kWheelUp && button <= kWheelRight) {
        if (!press) return std::nullopt;
        ScrollPayload scroll;
        // Positive line deltas scroll up and left, as in the event-flag layout's scroll events.
        if (button == kWheelUp) scroll.deltaY = 1;
        if (button == kWheelDown) scroll.deltaY = -1;
        if (button == kWheelLeft) scroll.deltaX = 1;
        if (button == kWheelRight) scroll.deltaX = -1;
        event.kind = TapEvent::Kind::scrollWheel(scroll);
    }
    event.flags = modifierFlags();
    event.targetPID = processAt(event.location, false, atNanos);
    if (event.kind.type == TapEvent::Kind::Type::scroll) return event;
    if (button >= pressClickCounts_.size()) return std::nullopt;

    const auto [mouseButton, number] = neutralButton(button);
    if (press) {
        const bool again = lastPress_.button == button && atNanos - lastPress_.atNanos <= kMultiClickNanos &&
                           std::abs(event.location.x - lastPress_.location.x) <= kMultiClickDistance &&
                           std::abs(event.location.y - lastPress_.location.y) <= kMultiClickDistance;
        lastPress_ = {button, atNanos, event.location, again ? lastPress_.clickCount + 1 : 1};
        pressClickCounts_[button] = lastPress_.clickCount;
        event.kind = TapEvent::Kind::mouseDown(mouseButton, number, lastPress_.clickCount);
    } else {
        event.kind = TapEvent::Kind::mouseUp(mouseButton, number, std::max<std::int64_t>(1, pressClickCounts_[button]));
    }
    return event;
}

std::optional<TapEvent> X11RawEventConverter::convertKey(bool press, unsigned int keyCode, bool repeatFlag,
                                                         TapEvent event) {
    if (keyCode > 255) return std::nullopt;
    const std::uint16_t neutral = X11KeyCodeMap::neutralKeyCode(static_cast<std::uint8_t>(keyCode));
    // A press of a key that is already down is the server's auto-repeat.
    const bool wasDown = keysDown_.test(keyCode);
    const bool repeat = press && (repeatFlag || wasDown);
    keysDown_.set(keyCode, press);

    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    // With the focus on the root window, as when the focused window went away
    // without a window manager to pass the focus on, keys go to the window under
    // the pointer, as with PointerRoot.
    event.targetPID = focus == PointerRoot || focus == root_ ? processAt(event.location, false, event.timestamp)
                                                             : processIds_.processId(focus);

    if (neutral == kCapsLockKeyCode) {
        // The lock goes on as the key goes down and off as it comes up again
        // after a later press: the flags change with whichever changes the lock.
        bool changed = false;
        if (press && !repeat) {
            changed = !capsLocked_;
            capsUnlocksOnRelease_ = capsLocked_;
            capsLocked_ = true;
        } else if (!press && capsUnlocksOnRelease_) {
            changed = true;
            capsUnlocksOnRelease_ = false;
            capsLocked_ = false;
        }
        if (!changed) return std::nullopt;
        event.flags = modifierFlags();
        event.kind = TapEvent::Kind::flagsChanged(neutral);
        return event;
    }
    event.flags = modifierFlags();
    if (isModifierKey(neutral)) {
        // A repeated press, or a release of a modifier that is up, changes nothing.
        if (repeat || (!press && !wasDown)) return std::nullopt;
        event.kind = TapEvent::Kind::flagsChanged(neutral);
    } else if (press) {
        event.kind = TapEvent::Kind::keyDown(neutral, repeat);
    } else {
        event.kind = TapEvent::Kind::keyUp(neutral);
    }
    return event;
}

}  // namespace brevanor
