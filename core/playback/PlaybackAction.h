#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <variant>

#include "base/values/MouseButton.h"
#include "core/playback/ScrollAction.h"

namespace brevanor {

// One input action to replay: a tagged union of seven cases. The press and
// release cases of buttons and keys share their payload, so the case is a
// separate tag (as in RecordingEvent). A long recording makes millions of
// actions, nearly all moves and keys: the larger payloads of buttons, scrolls
// and modifiers are kept apart, shared and immutable, so that every action
// stays small.
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
    static PlaybackAction mouseDown(Button b) { return {Kind::mouseDown, std::make_shared<const Button>(b)}; }
    static PlaybackAction mouseUp(Button b) { return {Kind::mouseUp, std::make_shared<const Button>(b)}; }
    static PlaybackAction scroll(ScrollAction s) { return {Kind::scroll, std::make_shared<const ScrollAction>(s)}; }
    static PlaybackAction keyDown(Key k) { return {Kind::keyDown, k}; }
    static PlaybackAction keyUp(Key k) { return {Kind::keyUp, k}; }
    static PlaybackAction flagsChanged(Flags f) { return {Kind::flagsChanged, std::make_shared<const Flags>(f)}; }

    Kind kind() const { return kind_; }

    // Typed access to the payload; the caller checks `kind()` first.
    const Move& move() const { return std::get<Move>(payload_); }
    const Button& button() const { return *std::get<std::shared_ptr<const Button>>(payload_); }
    const ScrollAction& scrollAction() const { return *std::get<std::shared_ptr<const ScrollAction>>(payload_); }
    const Key& key() const { return std::get<Key>(payload_); }
    const Flags& flags() const { return *std::get<std::shared_ptr<const Flags>>(payload_); }

    // Equal cases with equal payloads.
    friend bool operator==(const PlaybackAction& a, const PlaybackAction& b) {
        if (a.kind_ != b.kind_) return false;
        switch (a.kind_) {
            case Kind::moveCursor: return a.move() == b.move();
            case Kind::mouseDown:
            case Kind::mouseUp: return a.button() == b.button();
            case Kind::scroll: return a.scrollAction() == b.scrollAction();
            case Kind::keyDown:
            case Kind::keyUp: return a.key() == b.key();
            case Kind::flagsChanged: return a.flags() == b.flags();
        }
        return false;
    }

private:
    using Payload = std::variant<Move, Key, std::shared_ptr<const Flags>, std::shared_ptr<const Button>,
                                 std::shared_ptr<const ScrollAction>>;

    PlaybackAction(Kind kind, Payload payload) : kind_(kind), payload_(std::move(payload)) {}

    Kind kind_;
    Payload payload_;
};

}  // namespace brevanor
