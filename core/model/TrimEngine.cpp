#include "core/model/TrimEngine.h"

#include <algorithm>

namespace brevanor::TrimEngine {

std::uint64_t maxLeadingTrim(const std::vector<RecordingEvent>& events) {
    if (events.empty()) return 0;
    const RecordingEvent& first = events.front();
    return first.isIdleGap() && first.idle().t == 0 ? first.idle().durationNanos : 0;
}

std::uint64_t maxTrailingTrim(const std::vector<RecordingEvent>& events) {
    // A lone idle gap counts as leading, never as trailing.
    if (events.size() < 2) return 0;
    const RecordingEvent& last = events.back();
    return last.isIdleGap() ? last.idle().durationNanos : 0;
}

TrimRange automaticTrim(const std::vector<RecordingEvent>& events) {
    return {maxLeadingTrim(events), maxTrailingTrim(events)};
}

TrimRange clamped(TrimRange trim, const std::vector<RecordingEvent>& events) {
    return {std::min(trim.leadingNanos, maxLeadingTrim(events)), std::min(trim.trailingNanos, maxTrailingTrim(events))};
}

}  // namespace brevanor::TrimEngine
