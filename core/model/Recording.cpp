#include "core/model/Recording.h"

#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"
#include "core/model/SaturatingMath.h"
#include "core/model/TrimEngine.h"

namespace brevanor {

Recording::Recording(Uuid id, std::string name, Date createdAt, EnvironmentSnapshot environment,
                     RecordingSettings settings, TrimRange trim, std::vector<RecordingEvent> events)
    : id(id),
      name(std::move(name)),
      createdAt(createdAt),
      environment(std::move(environment)),
      settings(std::move(settings)),
      trim(trim),
      events(std::move(events)) {}

RecordingJSONEncoder Recording::makeJSONEncoder() { return RecordingJSONEncoder(); }

RecordingJSONDecoder Recording::makeJSONDecoder() { return RecordingJSONDecoder(); }

std::uint64_t Recording::durationNanos() const { return events.empty() ? 0 : events.back().endTimestamp(); }

std::uint64_t Recording::trimmedDurationNanos() const {
    if (events.empty()) return 0;
    const std::uint64_t cut = saturatingAdd(trim.leadingNanos, trim.trailingNanos);
    return saturatingSubtract(durationNanos(), cut);
}

std::optional<Point> Recording::firstMousePosition() const {
    for (const RecordingEvent& event : events) {
        switch (event.kind()) {
            case RecordingEvent::Kind::mouseDown:
            case RecordingEvent::Kind::mouseUp: return Point{event.mouseButton().x, event.mouseButton().y};
            case RecordingEvent::Kind::scroll: return Point{event.scrollEvent().x, event.scrollEvent().y};
            case RecordingEvent::Kind::mousePath:
                if (!event.path().points.empty()) return Point{event.path().points[0].x, event.path().points[0].y};
                break;
            default: break;
        }
    }
    return std::nullopt;
}

void Recording::applyAutomaticTrim() { trim = TrimEngine::automaticTrim(events); }

}  // namespace brevanor
