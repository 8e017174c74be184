#include "core/playback/EventPoster.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace brevanor {

namespace {

using Type = SyntheticInput::Type;

// Platforms create events for three buttons; every further one is made as the
// centre button and keeps its identity in the button number.
MouseButton platformButton(MouseButton button) {
    return button == MouseButton::left || button == MouseButton::right ? button : MouseButton::middle;
}

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

SyntheticInput buttonInput(Type type, Point at, MouseButton button, std::int64_t number, std::int64_t clickCount,
                           std::uint64_t flags) {
    SyntheticInput input;
    input.type = type;
    input.x = at.x;
    input.y = at.y;
    input.button = platformButton(button);
    input.buttonNumber = number;
    input.clickCount = clickCount;
    input.flags = flags;
    return input;
}

SyntheticInput keyInput(Type type, std::uint16_t keyCode, std::uint64_t flags, bool isDown) {
    SyntheticInput input;
    input.type = type;
    input.keyCode = keyCode;
    input.keyIsDown = isDown;
    input.flags = flags;
    return input;
}

SyntheticInput scrollInput(const ScrollAction& action) {
    const ScrollPayload& s = action.scroll;
    SyntheticInput input;
    input.type = Type::scroll;
    input.x = action.x;
    input.y = action.y;
    // Trackpad-style scrolls replay their pixel deltas, wheel scrolls their line deltas.
    input.pixelUnits = s.isContinuous;
    input.wheelVertical = clampToInt32(s.isContinuous ? s.pointDeltaY : s.deltaY);
    input.wheelHorizontal = clampToInt32(s.isContinuous ? s.pointDeltaX : s.deltaX);
    input.scrollPhase = s.scrollPhase;
    input.momentumPhase = s.momentumPhase;
    input.flags = action.modifiers;
    return input;
}

// The event for one action. A move while a button is held is a drag of that button;
// a move carries no modifier flags of its own.
SyntheticInput inputFor(const PlaybackAction& action, std::optional<std::pair<std::int64_t, MouseButton>> held) {
    switch (action.kind()) {
        case PlaybackAction::Kind::moveCursor: {
            const Point at{action.move().x, action.move().y};
            if (held) return buttonInput(Type::mouseDragged, at, held->second, held->first, 0, 0);
            return buttonInput(Type::mouseMoved, at, MouseButton::left, 0, 0, 0);
        }
        case PlaybackAction::Kind::mouseDown:
        case PlaybackAction::Kind::mouseUp: {
            const PlaybackAction::Button& b = action.button();
            const Type type = action.kind() == PlaybackAction::Kind::mouseDown ? Type::mouseDown : Type::mouseUp;
            return buttonInput(type, {b.x, b.y}, b.button, b.buttonNumber, b.clickCount, b.modifiers);
        }
        case PlaybackAction::Kind::scroll: return scrollInput(action.scrollAction());
        case PlaybackAction::Kind::keyDown:
            return keyInput(Type::keyDown, action.key().keyCode, action.key().modifiers, true);
        case PlaybackAction::Kind::keyUp:
            return keyInput(Type::keyUp, action.key().keyCode, action.key().modifiers, false);
        case PlaybackAction::Kind::flagsChanged:
            return keyInput(Type::flagsChanged, action.flags().keyCode, action.flags().modifiers,
                            action.flags().isDown);
    }
    return {};
}

}  // namespace

EventPoster::EventPoster(std::shared_ptr<InputInjector> injector) : injector_(std::move(injector)) {}

void EventPoster::perform(const PlaybackAction& action) {
    std::optional<std::pair<std::int64_t, MouseButton>> dragButton;
    {
        std::lock_guard lock(mutex_);
        if (!heldButtons_.empty()) dragButton = *heldButtons_.begin();
    }
    const SyntheticInput input = inputFor(action, dragButton);

    // The bookkeeping is complete before the event is posted: whoever sees the event
    // come back (the hotkey manager) finds it already noted.
    Undo undo;
    {
        std::lock_guard lock(mutex_);
        undo = recordLocked(action, {input.x, input.y});
    }
    if (!injector_->post(input)) {
        std::lock_guard lock(mutex_);
        undoLocked(action, undo);
    }
}

EventPoster::Undo EventPoster::recordLocked(const PlaybackAction& action, Point location) {
    Undo undo;
    undo.lastPosition = lastPosition_;
    switch (action.kind()) {
        case PlaybackAction::Kind::moveCursor:
        case PlaybackAction::Kind::scroll: lastPosition_ = location; break;
        case PlaybackAction::Kind::mouseDown:
        case PlaybackAction::Kind::mouseUp: {
            const PlaybackAction::Button& b = action.button();
            if (auto it = heldButtons_.find(b.buttonNumber); it != heldButtons_.end()) undo.heldButton = it->second;
            if (action.kind() == PlaybackAction::Kind::mouseDown) {
                heldButtons_[b.buttonNumber] = b.button;
            } else {
                heldButtons_.erase(b.buttonNumber);
            }
            lastPosition_ = location;
            break;
        }
        case PlaybackAction::Kind::keyDown:
            undo.keyWasHeld = heldKeys_.contains(action.key().keyCode);
            heldKeys_.insert(action.key().keyCode);
            break;
        case PlaybackAction::Kind::keyUp:
            undo.keyWasHeld = heldKeys_.contains(action.key().keyCode);
            heldKeys_.erase(action.key().keyCode);
            break;
        case PlaybackAction::Kind::flagsChanged:
            undo.keyWasHeld = heldModifierKeys_.contains(action.flags().keyCode);
            if (action.flags().isDown) {
                heldModifierKeys_.insert(action.flags().keyCode);
            } else {
                heldModifierKeys_.erase(action.flags().keyCode);
            }
            break;
    }
    return undo;
}

// A refused event changed nothing on the system, so nothing in the bookkeeping either:
// a refused release leaves its button or key to releaseAll().
void EventPoster::undoLocked(const PlaybackAction& action, const Undo& undo) {
    lastPosition_ = undo.lastPosition;
    const auto restore = [&](std::set<std::uint16_t>& keys, std::uint16_t keyCode) {
        if (undo.keyWasHeld) {
            keys.insert(keyCode);
        } else {
            keys.erase(keyCode);
        }
    };
    switch (action.kind()) {
        case PlaybackAction::Kind::moveCursor:
        case PlaybackAction::Kind::scroll: break;
        case PlaybackAction::Kind::mouseDown:
        case PlaybackAction::Kind::mouseUp:
            if (undo.heldButton) {
                heldButtons_[action.button().buttonNumber] = *undo.heldButton;
            } else {
                heldButtons_.erase(action.button().buttonNumber);
            }
            break;
        case PlaybackAction::Kind::keyDown:
        case PlaybackAction::Kind::keyUp: restore(heldKeys_, action.key().keyCode); break;
        case PlaybackAction::Kind::flagsChanged: restore(heldModifierKeys_, action.flags().keyCode); break;
    }
}

void EventPoster::releaseAll() {
    std::map<std::int64_t, MouseButton> buttons;
    std::set<std::uint16_t> keys;
    std::set<std::uint16_t> modifierKeys;
    std::optional<Point> last;
    {
        std::lock_guard lock(mutex_);
        buttons.swap(heldButtons_);
        keys.swap(heldKeys_);
        modifierKeys.swap(heldModifierKeys_);
        last = lastPosition_;
    }
    // Buttons first, then keys, then modifiers: the order in which a hand lets go of a
    // shortcut, so its key comes up while its modifiers are still down. Releases carry no flags.
    if (!buttons.empty()) {
        const Point at = last ? *last : injector_->cursorPosition().value_or(Point{});
        for (const auto& [number, button] : buttons) {
            injector_->post(buttonInput(Type::mouseUp, at, button, number, 1, 0));
        }
    }
    for (std::uint16_t keyCode : keys) injector_->post(keyInput(Type::keyUp, keyCode, 0, false));
    for (std::uint16_t keyCode : modifierKeys) injector_->post(keyInput(Type::flagsChanged, keyCode, 0, false));
}

}  // namespace brevanor
