#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/values/Point.h"
#include "core/model/Date.h"
#include "core/model/EnvironmentSnapshot.h"
#include "core/model/RecordingEvent.h"
#include "core/model/RecordingSettings.h"
#include "core/model/TrimRange.h"
#include "core/model/Uuid.h"

namespace brevanor {

class RecordingJSONEncoder;
class RecordingJSONDecoder;

// One saved macro: its identity, name, the machine it was made on, its playback
// settings, its trim and the recorded events in time order.
struct Recording {
    static constexpr std::int64_t currentSchemaVersion = 1;

    std::int64_t schemaVersion = currentSchemaVersion;
    Uuid id;
    std::string name;
    Date createdAt;
    EnvironmentSnapshot environment;
    RecordingSettings settings;
    TrimRange trim;
    std::vector<RecordingEvent> events;
    // The events as they were recorded, kept beside `events` once the events
    // were edited (absent while they never were), so that an edit can always be
    // reverted. Playback plays `events`; the document writes this copy under
    // "recordedEvents", a key earlier builds ignore.
    std::optional<std::vector<RecordingEvent>> recordedEvents;

    Recording() = default;
    Recording(Uuid id, std::string name, Date createdAt, EnvironmentSnapshot environment, RecordingSettings settings,
              TrimRange trim, std::vector<RecordingEvent> events);

    // The configured writer and reader of the JSON document (include their headers to use them).
    static RecordingJSONEncoder makeJSONEncoder();
    static RecordingJSONDecoder makeJSONDecoder();

    // The end of the last event, 0 without events.
    std::uint64_t durationNanos() const;
    std::int64_t eventCount() const { return static_cast<std::int64_t>(events.size()); }
    // The duration less both trims, never below 0.
    std::uint64_t trimmedDurationNanos() const;
    // The position of the first event that has one (button, scroll, or a path's first point).
    std::optional<Point> firstMousePosition() const;
    bool isEdited() const { return recordedEvents.has_value(); }
    bool canUndoTrim() const { return trim.leadingNanos != 0 || trim.trailingNanos != 0; }

    // Sets the trim to the idle gaps at both ends.
    void applyAutomaticTrim();
    void undoTrim() { trim = TrimRange{}; }

    friend bool operator==(const Recording&, const Recording&) = default;
};

}  // namespace brevanor
