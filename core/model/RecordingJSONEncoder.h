#pragma once

#include <string>

#include "core/model/Recording.h"

namespace brevanor {

// Writes a recording as its JSON document: compact, keys sorted at every level,
// dates in whole UTC seconds, upper-case UUIDs, optional keys only when present.
// Equal recordings give identical bytes (given at most one silenced warning,
// whose order is not part of the format). Stateless; usable from any thread.
class RecordingJSONEncoder {
public:
    // Throws RecordingEncodingError when a double is not finite.
    std::string encode(const Recording& recording) const;
    // What a library listing needs of a recording, in the document's own forms, without
    // its events or environment: createdAt, durationNanos, eventCount, id, name, settings
    // and trimmedDurationNanos, as one object.
    std::string encodeSummary(const Recording& recording) const;
};

}  // namespace brevanor
