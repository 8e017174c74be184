#include "platform/wayland/WaylandInputInjector.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <xkbcommon/xkbcommon.h>

#include "base/time/MonotonicClock.h"
#include "base/values/ModifierKeys.h"
#include "core/store/FileDescriptor.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandInputGuardian.h"
#include "platform/wayland/WaylandKeymap.h"
#include "platform/wayland/virtual-keyboard-unstable-v1-client-protocol.h"
#include "platform/wayland/wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "platform/x11/X11KeyCodeMap.h"

namespace brevanor {

namespace {

using Type = SyntheticInput::Type;

// X key codes are the kernel's key codes plus 8; the neutral table is kept in X's terms.
constexpr std::uint32_t kXKeyCodeOffset = 8;
constexpr std::uint32_t kEvdevCapsLock = KEY_CAPSLOCK;

std::uint32_t nowMillis() { return static_cast<std::uint32_t>(MonotonicClock::now() / 1'000'000); }

// The kernel button of a neutral button: left, right, middle, then BTN_SIDE, BTN_EXTRA, ... by number.
std::optional<std::uint32_t> evdevButton(const SyntheticInput& input) {
    switch (input.button) {
        case MouseButton::left: return BTN_LEFT;
        case MouseButton::right: return BTN_RIGHT;
        case MouseButton::middle: return BTN_MIDDLE;
        case MouseButton::other: break;
    }
    if (input.buttonNumber < 0 || input.buttonNumber > BTN_TASK - BTN_LEFT) return std::nullopt;
    if (input.buttonNumber == 1) return BTN_RIGHT;
    if (input.buttonNumber == 2) return BTN_MIDDLE;
    return static_cast<std::uint32_t>(BTN_LEFT + input.buttonNumber);
}

// The box around every output of the layout, in layout pixels.
struct LayoutBox {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

std::optional<LayoutBox> layoutBox(const std::vector<WaylandConnection::Output>& outputs) {
    if (outputs.empty()) return std::nullopt;
    std::int32_t left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const auto& output : outputs) {
        left = std::min(left, output.x);
        top = std::min(top, output.y);
        right = std::max(right, output.x + output.width);
        bottom = std::max(bottom, output.y + output.height);
    }
    return LayoutBox{left, top, right - left, bottom - top};
}

}  // namespace

WaylandInputInjector::WaylandInputInjector(std::string displayName) : displayName_(std::move(displayName)) {}

WaylandInputInjector::~WaylandInputInjector() {
    std::lock_guard lock(mutex_);
    if (pointer_ || keyboard_) releaseHeld();
    if (pointer_) zwlr_virtual_pointer_v1_destroy(pointer_);
    if (keyboard_) zwp_virtual_keyboard_v1_destroy(keyboard_);
    if (keyState_) xkb_state_unref(keyState_);
    if (connection_) connection_->roundtrip();
    // Only once the compositor has the releases: destroying the guardian tells it nothing is left held.
    guardian_.reset();
}

void WaylandInputInjector::prepareToPost() {
    std::lock_guard lock(mutex_);
    ready();
}

bool WaylandInputInjector::canPost() {
    std::lock_guard lock(mutex_);
    return ready();
}

bool WaylandInputInjector::ready() {
    if (keyState_) return connection_->isAlive();
    if (connectionTried_) return false;
    connectionTried_ = true;
    try {
        connection_ = std::make_unique<WaylandConnection>(displayName_);
    } catch (const std::exception&) {
        return false;
    }
    if (!connection_->pointerManager() || !connection_->keyboardManager() || !connection_->seat()) return false;
    const auto keymap = WaylandKeymap::fromSeatOrConfiguration(connection_->seatKeymap());
    if (!keymap) return false;

    // The keymap goes over as a file of its text with the terminating zero.
    const std::string text = keymap->text();
    const FileDescriptor fd(memfd_create("brevanor-keymap", MFD_CLOEXEC));
    if (!fd.isOpen()) return false;
    const bool written = write(fd.get(), text.c_str(), text.size() + 1) == static_cast<ssize_t>(text.size() + 1);
    if (written) {
        pointer_ =
            zwlr_virtual_pointer_manager_v1_create_virtual_pointer(connection_->pointerManager(), connection_->seat());
        keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(connection_->keyboardManager(),
                                                                            connection_->seat());
        zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd.get(),
                                       static_cast<std::uint32_t>(text.size() + 1));
        keyState_ = xkb_state_new(keymap->keymap());
        guardian_ = WaylandInputGuardian::launch(displayName_);
    }
    // The compositor has the devices once it answered; a refusal shows as a broken connection.
    return keyState_ && connection_->roundtrip();
}

bool WaylandInputInjector::post(const SyntheticInput& input) {
    std::lock_guard lock(mutex_);
    if (!ready()) return false;
    const std::uint32_t time = nowMillis();

    bool posted = false;
    switch (input.type) {
        case Type::mouseMoved:
        case Type::mouseDragged: posted = moveTo(input.x, input.y, time); break;
        case Type::mouseDown:
        case Type::mouseUp: {
            const auto button = evdevButton(input);
            posted =
                button && moveTo(input.x, input.y, time) && pressButton(*button, input.type == Type::mouseDown, time);
            break;
        }
        case Type::scroll: posted = moveTo(input.x, input.y, time) && scroll(input, time); break;
        case Type::keyDown:
        case Type::keyUp:
        case Type::flagsChanged: {
            const auto xKeyCode = X11KeyCodeMap::xKeyCode(input.keyCode);
            if (!xKeyCode) break;
            const std::uint32_t code = *xKeyCode - kXKeyCodeOffset;
            const bool press = input.type == Type::flagsChanged ? input.keyIsDown : input.type == Type::keyDown;
            if (input.type == Type::flagsChanged && input.keyCode == ModifierKeys::capsLockKeyCode) {
                // Caps Lock toggles on each press: bring the lock to the state the event reports.
                const bool locked =
                    xkb_state_mod_name_is_active(keyState_, XKB_MOD_NAME_CAPS, XKB_STATE_MODS_LOCKED) > 0;
                posted =
                    locked == press || (pressKey(kEvdevCapsLock, true, time) && pressKey(kEvdevCapsLock, false, time));
            } else {
                posted = pressKey(code, press, time);
            }
            break;
        }
    }
    return connection_->flush() && posted;
}

std::optional<Point> WaylandInputInjector::cursorPosition() {
    std::lock_guard lock(mutex_);
    return lastPosition_;
}

bool WaylandInputInjector::didRecentlyPostKeyDown(std::uint16_t, std::uint64_t, std::uint64_t) { return false; }

bool WaylandInputInjector::moveTo(double x, double y, std::uint32_t time) {
    const auto box = layoutBox(connection_->outputs());
    if (!box) return false;
    // The compositor maps x / extent onto the layout's width: with the width as
    // extent, the whole pixel x lands on layout pixel x. Points off the layout
    // stop at its edge, as the pointer itself would.
    const auto along = [](double coordinate, std::int32_t origin, std::int32_t extent) {
        return static_cast<std::uint32_t>(std::clamp<double>(std::lround(coordinate) - origin, 0, extent - 1));
    };
    zwlr_virtual_pointer_v1_motion_absolute(pointer_, time, along(x, box->x, box->width), along(y, box->y, box->height),
                                            static_cast<std::uint32_t>(box->width),
                                            static_cast<std::uint32_t>(box->height));
    zwlr_virtual_pointer_v1_frame(pointer_);
    lastPosition_ = Point{x, y};
    return true;
}

bool WaylandInputInjector::pressButton(std::uint32_t button, bool press, std::uint32_t time) {
    zwlr_virtual_pointer_v1_button(pointer_, time, button,
                                   press ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer_);
    buttonsHeld_.set(button - BTN_LEFT, press);
    if (guardian_) guardian_->noteButton(static_cast<std::uint8_t>(button - BTN_LEFT), press);
    return true;
}

bool WaylandInputInjector::pressKey(std::uint32_t evdevCode, bool press, std::uint32_t time) {
    if (evdevCode >= keysHeld_.size()) return false;
    zwp_virtual_keyboard_v1_key(keyboard_, time, evdevCode,
                                press ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    keysHeld_.set(evdevCode, press);
    // A virtual keyboard's keys do not move the compositor's modifier state: it is told separately.
    const auto changed =
        xkb_state_update_key(keyState_, evdevCode + kXKeyCodeOffset, press ? XKB_KEY_DOWN : XKB_KEY_UP);
    if (changed != 0) {
        zwp_virtual_keyboard_v1_modifiers(keyboard_, xkb_state_serialize_mods(keyState_, XKB_STATE_MODS_DEPRESSED),
                                          xkb_state_serialize_mods(keyState_, XKB_STATE_MODS_LATCHED),
                                          xkb_state_serialize_mods(keyState_, XKB_STATE_MODS_LOCKED),
                                          xkb_state_serialize_layout(keyState_, XKB_STATE_LAYOUT_EFFECTIVE));
    }
    return true;
}

bool WaylandInputInjector::scroll(const SyntheticInput& input, std::uint32_t time) {
    // Neutral deltas are positive upwards and leftwards; Wayland's axes grow down and right.
    const auto axis = [&](std::uint32_t which, std::int32_t delta) {
        if (delta == 0) return;
        if (input.pixelUnits) {
            zwlr_virtual_pointer_v1_axis(pointer_, time, which, wl_fixed_from_int(-delta));
        } else {
            zwlr_virtual_pointer_v1_axis_discrete(pointer_, time, which,
                                                  wl_fixed_from_double(-delta * kAxisPerWheelClick), -delta);
        }
    };
    zwlr_virtual_pointer_v1_axis_source(
        pointer_, input.pixelUnits ? WL_POINTER_AXIS_SOURCE_FINGER : WL_POINTER_AXIS_SOURCE_WHEEL);
    axis(WL_POINTER_AXIS_VERTICAL_SCROLL, input.wheelVertical);
    axis(WL_POINTER_AXIS_HORIZONTAL_SCROLL, input.wheelHorizontal);
    zwlr_virtual_pointer_v1_frame(pointer_);
    return true;
}

void WaylandInputInjector::releaseHeld() {
    const std::uint32_t time = nowMillis();
    for (std::size_t offset = 0; offset < buttonsHeld_.size(); ++offset) {
        if (buttonsHeld_.test(offset)) pressButton(static_cast<std::uint32_t>(BTN_LEFT + offset), false, time);
    }
    for (std::size_t code = 0; code < keysHeld_.size(); ++code) {
        if (keysHeld_.test(code)) pressKey(static_cast<std::uint32_t>(code), false, time);
    }
}

}  // namespace brevanor
