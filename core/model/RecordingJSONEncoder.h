#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/model/Recording.h"
#include "core/model/RecordingSummary.h"

namespace brevanor {

// Writes a recording as its JSON document: compact, keys sorted at every level,
// dates in whole UTC seconds, upper-case UUIDs, optional keys only when present.
// Equal recordings give identical bytes (given at most one silenced warning,
// whose order is not part of the format). Stateless; usable from any thread.
class RecordingJSONEncoder {
public:
    // Hands every event of a recording, in order, to the function it is given.
    using EventSource = std::function<void(const std::function<void(const RecordingEvent&)>&)>;

    // Throws RecordingEncodingError when a double is not finite.
    std::string encode(const Recording& recording) const;
    // The same document for a recording too long to hold twice: the summary with
    // the events `events` hands over (as many as it counts), written out in pieces
    // of about 64 KiB through `output`; an edited recording's recorded events come
    // from `recordedEvents` (as many as the summary counts). Throws as encode(),
    // and what `output` throws.
    void encode(const RecordingSummary& summary, const EventSource& events,
                const std::function<void(std::string_view)>& output, const EventSource& recordedEvents = {}) const;
    // What a library listing needs of a recording, in the document's own forms, without
    // its events or environment: createdAt, durationNanos, eventCount, id, name, settings
    // and trimmedDurationNanos, as one object.
    std::string encodeSummary(const RecordingSummary& recording) const;
    // One event object, as the document's events hold it.
    std::string encodeEvent(const RecordingEvent& event) const;
};

}  // namespace brevanor
