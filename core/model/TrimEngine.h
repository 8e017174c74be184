#pragma once

#include <cstdint>
#include <vector>

#include "core/model/RecordingEvent.h"
#include "core/model/TrimRange.h"

namespace brevanor {

// How much idle time may be cut off the ends of an event list. Only whole idle
// gaps are trimmed: a leading gap must start at 0, a trailing gap must be the
// last of at least two events. The events themselves are never removed.
namespace TrimEngine {

std::uint64_t maxLeadingTrim(const std::vector<RecordingEvent>& events);
std::uint64_t maxTrailingTrim(const std::vector<RecordingEvent>& events);
TrimRange automaticTrim(const std::vector<RecordingEvent>& events);
TrimRange clamped(TrimRange trim, const std::vector<RecordingEvent>& events);

}  // namespace TrimEngine

}  // namespace brevanor
