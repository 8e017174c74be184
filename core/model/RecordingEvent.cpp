#include "core/model/RecordingEvent.h"

namespace brevanor {

std::uint64_t RecordingEvent::timestamp() const {
    switch (kind_) {
        case Kind::mouseDown:
        case Kind::mouseUp: return mouseButton().t;
        case Kind::mousePath: return path().t;
        case Kind::scroll: return scrollEvent().t;
        case Kind::keyDown:
        case Kind::keyUp: return key().t;
        case Kind::flagsChanged: return flags().t;
        case Kind::idleGap: return idle().t;
    }
    return 0;
}

bool operator==(const RecordingEvent& a, const RecordingEvent& b) {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
        case RecordingEvent::Kind::mouseDown:
        case RecordingEvent::Kind::mouseUp: return a.mouseButton() == b.mouseButton();
        case RecordingEvent::Kind::scroll: return a.scrollEvent() == b.scrollEvent();
        default: return a.payload_ == b.payload_;
    }
}

// A long recording holds millions of events.
static_assert(sizeof(RecordingEvent) <= 48, "keep recording events small");

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
