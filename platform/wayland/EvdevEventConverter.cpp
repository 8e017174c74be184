#include "platform/wayland/EvdevEventConverter.h"

#include "base/values/ModifierKeys.h"
#include "platform/x11/X11KeyCodeMap.h"

namespace brevanor {

namespace {

constexpr std::uint32_t kXKeyCodeOffset = 8;
constexpr std::int32_t kReleased = 0, kPressed = 1, kRepeated = 2;

std::uint64_t nanos(const timeval& time) {
    return static_cast<std::uint64_t>(time.tv_sec) * 1'000'000'000ull +
           static_cast<std::uint64_t>(time.tv_usec) * 1'000ull;
}

}  // namespace

TapEvent EvdevEventConverter::at(TapEvent::Kind kind, std::uint64_t time) const {
    TapEvent event;
    event.kind = kind;
    event.timestamp = time;
    event.location = location_;
    event.flags = flags_;
    return event;
}

std::vector<TapEvent> EvdevEventConverter::convert(const input_event& event) {
    const std::uint64_t time = nanos(event.time);
    std::vector<TapEvent> events;
    switch (event.type) {
        case EV_REL:
            if (event.code == REL_X) {
                pendingX_ += event.value;
                moved_ = true;
            } else if (event.code == REL_Y) {
                pendingY_ += event.value;
                moved_ = true;
            } else if (event.code == REL_WHEEL || event.code == REL_HWHEEL) {
                // The kernel's wheel is positive away from the user and to the right;
                // ours is positive upwards and leftwards.
                ScrollPayload scroll;
                if (event.code == REL_WHEEL) scroll.deltaY = event.value;
                if (event.code == REL_HWHEEL) scroll.deltaX = -event.value;
                events.push_back(at(TapEvent::Kind::scrollWheel(scroll), time));
            }
            break;
        case EV_ABS:
            if (event.code == ABS_X || event.code == ABS_Y) {
                auto& last = event.code == ABS_X ? padX_ : padY_;
                // The first place after the finger lands is where motion starts, not motion itself.
                if (last) {
                    (event.code == ABS_X ? pendingX_ : pendingY_) += event.value - *last;
                    moved_ = true;
                }
                last = event.value;
            }
            break;
        case EV_SYN:
            if (event.code == SYN_REPORT && moved_) {
                location_ = {location_.x + pendingX_, location_.y + pendingY_};
                pendingX_ = pendingY_ = 0;
                moved_ = false;
                events.push_back(at(TapEvent::Kind::mouseMoved(), time));
            }
            break;
        case EV_KEY:
            if (event.code == BTN_TOUCH && event.value == kReleased) {
                padX_.reset();  // the finger left the pad
                padY_.reset();
            } else if (event.code >= BTN_MOUSE && event.code <= BTN_TASK) {
                if (auto pressed = button(event, time)) events.push_back(*pressed);
            } else if (auto typed = key(event, time)) {
                events.push_back(*typed);
            }
            break;
        default: break;
    }
    return events;
}

std::optional<TapEvent> EvdevEventConverter::button(const input_event& event, std::uint64_t time) {
    if (event.value != kPressed && event.value != kReleased) return std::nullopt;
    MouseButton which = MouseButton::other;
    std::int64_t number = event.code - BTN_LEFT;  // BTN_SIDE is 3, BTN_EXTRA 4, ...
    if (event.code == BTN_LEFT) which = MouseButton::left;
    if (event.code == BTN_RIGHT) which = MouseButton::right, number = 1;
    if (event.code == BTN_MIDDLE) which = MouseButton::middle, number = 2;
    const auto kind = event.value == kPressed ? TapEvent::Kind::mouseDown(which, number, 1)
                                              : TapEvent::Kind::mouseUp(which, number, 1);
    return at(kind, time);
}

std::optional<TapEvent> EvdevEventConverter::key(const input_event& event, std::uint64_t time) {
    if (event.code + kXKeyCodeOffset > 255) return std::nullopt;
    const std::uint16_t code = X11KeyCodeMap::neutralKeyCode(static_cast<std::uint8_t>(event.code + kXKeyCodeOffset));
    if (!ModifierKeys::isModifierKey(code)) {
        if (event.value == kReleased) return at(TapEvent::Kind::keyUp(code), time);
        return at(TapEvent::Kind::keyDown(code, event.value == kRepeated), time);
    }
    if (event.value == kRepeated) return std::nullopt;  // a held modifier repeats nothing
    const std::uint64_t mask = *ModifierKeys::flagMask(code);
    if (code == ModifierKeys::capsLockKeyCode) {
        // Caps Lock locks on one press and unlocks on the next; its release changes nothing.
        if (event.value == kReleased) return std::nullopt;
        capsLocked_ = !capsLocked_;
    } else {
        modifiersHeld_.set(code, event.value == kPressed);
    }
    // A mask stays while any key that sets it is held (both Shifts share one).
    bool held = code == ModifierKeys::capsLockKeyCode ? capsLocked_ : false;
    for (std::uint16_t other = ModifierKeys::firstKeyCode; other < ModifierKeys::endKeyCode; ++other) {
        if (other != ModifierKeys::capsLockKeyCode && modifiersHeld_.test(other) &&
            ModifierKeys::flagMask(other) == mask) {
            held = true;
        }
    }
    flags_ = held ? flags_ | mask : flags_ & ~mask;
    return at(TapEvent::Kind::flagsChanged(code), time);
}

}  // namespace brevanor
