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
};

}  // namespace brevanor
