#pragma once

#include <cstdint>
#include <variant>

#include "core/model/MouseButton.h"
#include "core/playback/ScrollAction.h"

namespace brevanor {

// One input action to replay: a tagged union of seven cases. The press and
// release cases of buttons and keys share their payload, so the case is a
// separate tag (as in RecordingEvent).
class PlaybackAction {
public:
    enum class Kind { moveCursor, mouseDown, mouseUp, scroll, keyDown, keyUp, flagsChanged };

    struct Move {
        double x = 0;
        double y = 0;
        friend bool operator==(const Move&, const Move&) = default;
    };
    struct Button {
        MouseButton button = MouseButton::left;
        std::int64_t buttonNumber = 0;
        double x = 0;
        double y = 0;
        std::int64_t clickCount = 1;
        std::uint64_t modifiers = 0;
        friend bool operator==(const Button&, const Button&) = default;
    };
    struct Key {
        std::uint16_t keyCode = 0;
        std::uint64_t modifiers = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };
    // A modifier key went down or up; `modifiers` are the flags after the change.
    struct Flags {
        std::uint16_t keyCode = 0;
        std::uint64_t modifiers = 0;
        bool isDown = false;
        friend bool operator==(const Flags&, const Flags&) = default;
    };

    static PlaybackAction moveCursor(double x, double y) { return {Kind::moveCursor, Move{x, y}}; }
    static PlaybackAction mouseDown(Button b) { return {Kind::mouseDown, b}; }
    static PlaybackAction mouseUp(Button b) { return {Kind::mouseUp, b}; }
    static PlaybackAction scroll(ScrollAction s) { return {Kind::scroll, s}; }
    static PlaybackAction keyDown(Key k) { return {Kind::keyDown, k}; }
    static PlaybackAction keyUp(Key k) { return {Kind::keyUp, k}; }
    static PlaybackAction flagsChanged(Flags f) { return {Kind::flagsChanged, f}; }

    Kind kind() const { return kind_; }

    // Typed access to the payload; the caller checks `kind()` first.
    const Move& move() const { return std::get<Move>(payload_); }
    const Button& button() const { return std::get<Button>(payload_); }
    const ScrollAction& scrollAction() const { return std::get<ScrollAction>(payload_); }
    const Key& key() const { return std::get<Key>(payload_); }
    const Flags& flags() const { return std::get<Flags>(payload_); }

    friend bool operator==(const PlaybackAction&, const PlaybackAction&) = default;

private:
    using Payload = std::variant<Move, Button, ScrollAction, Key, Flags>;

    PlaybackAction(Kind kind, Payload payload) : kind_(kind), payload_(payload) {}

    Kind kind_;
    Payload payload_;
};

}  // namespace brevanor
