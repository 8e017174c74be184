#pragma once

#include <chrono>
#include <string>

#include "core/model/Recording.h"

namespace brevanor {

// A recording with a mix of events, created at a whole second (as documents keep dates).
inline Recording sampleRecording(std::string name, Date createdAt, int pathCount = 3) {
    std::vector<RecordingEvent> events;
    std::uint64_t t = 0;
    for (int i = 0; i < pathCount; ++i) {
        MousePathEvent path{t, {}};
        for (std::uint64_t p = 0; p < 50; ++p) path.points.push_back({p * 8'000'000, 100.0 + p, 200.5 - p});
        events.push_back(RecordingEvent::mousePath(std::move(path)));
        t += 400'000'000;
        events.push_back(RecordingEvent::mouseDown({t, MouseButton::left, 0, 149.0, 151.5, 1, 0}));
        events.push_back(RecordingEvent::mouseUp({t + 80'000'000, MouseButton::left, 0, 149.0, 151.5, 1, 0}));
        events.push_back(RecordingEvent::keyDown({t + 100'000'000, 12, 0x100000, false}));
        events.push_back(RecordingEvent::keyUp({t + 150'000'000, 12, 0x100000, false}));
        events.push_back(RecordingEvent::idleGap({t + 150'000'000, 250'000'000}));
        t += 400'000'000;
    }
    RecordingSettings settings;
    settings.notes = "notes of " + name;
    return Recording(Uuid::random(), std::move(name), std::chrono::floor<std::chrono::seconds>(createdAt),
                     EnvironmentSnapshot::empty(), settings, TrimRange{}, std::move(events));
}

}  // namespace brevanor
