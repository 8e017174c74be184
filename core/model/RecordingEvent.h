#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <variant>

#include "core/model/RecordingEventPayloads.h"

namespace brevanor {

// One recorded input event: a tagged union of eight cases. The button and key
// payloads are shared by their down and up cases, so the case is a separate tag.
// A long recording holds millions of events, most of them keys and paths: the
// larger payloads of buttons and scrolls are kept apart, shared and immutable,
// so that every event stays small.
class RecordingEvent {
public:
    enum class Kind { mouseDown, mouseUp, mousePath, scroll, keyDown, keyUp, flagsChanged, idleGap };

    static RecordingEvent mouseDown(MouseButtonEvent e) {
        return {Kind::mouseDown, std::make_shared<const MouseButtonEvent>(e)};
    }
    static RecordingEvent mouseUp(MouseButtonEvent e) {
        return {Kind::mouseUp, std::make_shared<const MouseButtonEvent>(e)};
    }
    static RecordingEvent mousePath(MousePathEvent e) { return {Kind::mousePath, std::move(e)}; }
    static RecordingEvent scroll(ScrollEvent e) { return {Kind::scroll, std::make_shared<const ScrollEvent>(e)}; }
    static RecordingEvent keyDown(KeyEvent e) { return {Kind::keyDown, e}; }
    static RecordingEvent keyUp(KeyEvent e) { return {Kind::keyUp, e}; }
    static RecordingEvent flagsChanged(FlagsChangedEvent e) { return {Kind::flagsChanged, e}; }
    static RecordingEvent idleGap(IdleGapEvent e) { return {Kind::idleGap, e}; }

    Kind kind() const { return kind_; }

    // The payload's `t`, whatever the case.
    std::uint64_t timestamp() const;
    // When the event ends: a path's last point, the end of an idle gap, else `t`.
    std::uint64_t endTimestamp() const;
    bool isIdleGap() const { return kind_ == Kind::idleGap; }

    // Typed access to the payload; the caller checks `kind()` first.
    const MouseButtonEvent& mouseButton() const { return *std::get<std::shared_ptr<const MouseButtonEvent>>(payload_); }
    const MousePathEvent& path() const { return std::get<MousePathEvent>(payload_); }
    MousePathEvent& path() { return std::get<MousePathEvent>(payload_); }
    const ScrollEvent& scrollEvent() const { return *std::get<std::shared_ptr<const ScrollEvent>>(payload_); }
    const KeyEvent& key() const { return std::get<KeyEvent>(payload_); }
    const FlagsChangedEvent& flags() const { return std::get<FlagsChangedEvent>(payload_); }
    const IdleGapEvent& idle() const { return std::get<IdleGapEvent>(payload_); }
    IdleGapEvent& idle() { return std::get<IdleGapEvent>(payload_); }

    // Equal cases with equal payloads.
    friend bool operator==(const RecordingEvent& a, const RecordingEvent& b);

private:
    using Payload = std::variant<MousePathEvent, KeyEvent, FlagsChangedEvent, IdleGapEvent,
                                 std::shared_ptr<const MouseButtonEvent>, std::shared_ptr<const ScrollEvent>>;

    RecordingEvent(Kind kind, Payload payload) : kind_(kind), payload_(std::move(payload)) {}

    Kind kind_;
    Payload payload_;
};

// The case name as it is written in documents ("mouseDown", ..., "idleGap").
std::string_view toString(RecordingEvent::Kind kind);

}  // namespace brevanor
