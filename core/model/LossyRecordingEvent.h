#pragma once

#include <optional>

#include "core/model/RecordingEvent.h"

namespace brevanor {

// One element of a document's event list as read: empty when the element had
// an unknown type and is dropped.
struct LossyRecordingEvent {
    std::optional<RecordingEvent> event;

    friend bool operator==(const LossyRecordingEvent&, const LossyRecordingEvent&) = default;
};

}  // namespace brevanor
