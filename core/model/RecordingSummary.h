#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/model/Date.h"
#include "core/model/EnvironmentSnapshot.h"
#include "core/model/Recording.h"
#include "core/model/RecordingSettings.h"
#include "core/model/TrimRange.h"
#include "core/model/Uuid.h"

namespace brevanor {

// A recording without its events, with what they add up to: what listings and
// details show, read from a document without holding its events in memory.
struct RecordingSummary {
    std::int64_t schemaVersion = Recording::currentSchemaVersion;
    Uuid id;
    std::string name;
    Date createdAt;
    EnvironmentSnapshot environment;
    RecordingSettings settings;
    TrimRange trim;
    std::uint64_t durationNanos = 0;  // the end of the last event, 0 without events
    std::int64_t eventCount = 0;
    // How many events were recorded, when the events were edited since (Recording::recordedEvents).
    std::optional<std::int64_t> recordedEventCount;

    static RecordingSummary of(const Recording& recording);

    // The duration less both trims, never below 0 (0 without events).
    std::uint64_t trimmedDurationNanos() const;
    bool canUndoTrim() const { return trim.leadingNanos != 0 || trim.trailingNanos != 0; }

    friend bool operator==(const RecordingSummary&, const RecordingSummary&) = default;
};

}  // namespace brevanor
