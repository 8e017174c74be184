#include "core/model/RecordingSummary.h"

#include "core/model/SaturatingMath.h"

namespace brevanor {

RecordingSummary RecordingSummary::of(const Recording& recording) {
    return {recording.schemaVersion,
            recording.id,
            recording.name,
            recording.createdAt,
            recording.environment,
            recording.settings,
            recording.trim,
            recording.durationNanos(),
            recording.eventCount(),
            recording.recordedEvents ? std::optional<std::int64_t>(recording.recordedEvents->size()) : std::nullopt};
}

std::uint64_t RecordingSummary::trimmedDurationNanos() const {
    if (eventCount == 0) return 0;
    return saturatingSubtract(durationNanos, saturatingAdd(trim.leadingNanos, trim.trailingNanos));
}

}  // namespace brevanor
