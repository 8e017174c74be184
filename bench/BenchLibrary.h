#pragma once

// A library of 1,000 recordings of about 100 KB each (about 100 MB), written
// once per benchmark program into a temporary folder and removed at exit.

#include <filesystem>
#include <fstream>
#include <string>

#include "core/model/Recording.h"
#include "core/model/RecordingJSONEncoder.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {

inline constexpr int kRecordingCount = 1000;

// About 100 KB as a document: a minute of mouse paths, clicks and typing.
inline Recording libraryRecording(int index) {
    std::vector<RecordingEvent> events;
    std::uint64_t t = 0;
    for (int burst = 0; burst < 40; ++burst) {
        MousePathEvent path{t, {}};
        for (std::uint64_t p = 0; p < 60; ++p) {
            path.points.push_back(
                {p * 8'333'333, 512.25 + static_cast<double>(p) * 1.5, 300.75 - static_cast<double>(p)});
        }
        events.push_back(RecordingEvent::mousePath(std::move(path)));
        t += 500'000'000;
        events.push_back(RecordingEvent::mouseDown({t, MouseButton::left, 0, 602.25, 240.75, 1, 0}));
        events.push_back(RecordingEvent::mouseUp({t + 90'000'000, MouseButton::left, 0, 602.25, 240.75, 1, 0}));
        for (std::uint16_t key = 0; key < 6; ++key) {
            events.push_back(RecordingEvent::keyDown({t + 100'000'000 + key * 60'000'000ull, key, 0, false}));
            events.push_back(RecordingEvent::keyUp({t + 130'000'000 + key * 60'000'000ull, key, 0, false}));
        }
        t += 500'000'000;
    }
    const Date created = std::chrono::sys_days{std::chrono::year{2026} / 1 / 1} + std::chrono::minutes(index * 37);
    return Recording(Uuid::random(), "Recording " + std::to_string(index), created, EnvironmentSnapshot::empty(),
                     RecordingSettings(), TrimRange{}, std::move(events));
}

// The library folder.
class Library {
public:
    Library() {
        const auto encoder = Recording::makeJSONEncoder();
        for (int i = 0; i < kRecordingCount; ++i) {
            const Recording recording = libraryRecording(i);
            const std::string bytes = encoder.encode(recording);
            totalBytes_ += bytes.size();
            std::ofstream(folder_.path() / (recording.id.toString() + ".json"), std::ios::binary) << bytes;
            if (i == 0) first_ = recording;
        }
    }

    const std::filesystem::path& path() const { return folder_.path(); }
    std::size_t totalBytes() const { return totalBytes_; }
    const Recording& first() const { return first_; }

private:
    TemporaryDirectory folder_;
    std::size_t totalBytes_ = 0;
    Recording first_;
};

inline const Library& library() {
    static const Library instance;
    return instance;
}

}  // namespace brevanor
