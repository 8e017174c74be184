#include "core/model/RecordingEvent.h"

namespace brevanor {

std::uint64_t RecordingEvent::timestamp() const {
    return std::visit([](const auto& payload) { return payload.t; }, payload_);
}

std::uint64_t RecordingEvent::endTimestamp() const {
    switch (kind_) {
        case Kind::mousePath: return path().endTimestamp();
        case Kind::idleGap: return idle().endTimestamp();
        default: return timestamp();
    }
}

std::string_view toString(RecordingEvent::Kind kind) {
    switch (kind) {
        case RecordingEvent::Kind::mouseDown: return "mouseDown";
        case RecordingEvent::Kind::mouseUp: return "mouseUp";
        case RecordingEvent::Kind::mousePath: return "mousePath";
        case RecordingEvent::Kind::scroll: return "scroll";
        case RecordingEvent::Kind::keyDown: return "keyDown";
        case RecordingEvent::Kind::keyUp: return "keyUp";
        case RecordingEvent::Kind::flagsChanged: return "flagsChanged";
        case RecordingEvent::Kind::idleGap: return "idleGap";
    }
    return "idleGap";
}

}  // namespace brevanor
