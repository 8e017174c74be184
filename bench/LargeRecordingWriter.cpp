// Writes one long recording document for the memory benchmarks, as the
// library's writer writes it, without ever holding its events:
//
//   brevanor-large-recording FILE EVENTS session|keys
//
// "session" is what brevanor-cli record makes of a long working session: mouse
// paths of 3 to 12 points 8 ms apart, clicks, typing with Shift, an idle gap
// after each action. "keys" is the densest document a user may bring: key
// events only, from time 0 on, the most events (and playback actions) per byte.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <string_view>

#include "core/model/RecordingJSONEncoder.h"

namespace {

using namespace brevanor;
using Visit = std::function<void(const RecordingEvent&)>;

constexpr std::uint64_t kMillisecond = 1'000'000;

// Hands out `count` events of a working session; `end` receives the end of the last.
void session(std::int64_t count, const Visit& visit, std::uint64_t& end) {
    std::mt19937 random(29);
    std::uint64_t t = 0;
    double x = 640;
    double y = 400;
    std::int64_t made = 0;
    const auto emit = [&](const RecordingEvent& event) {
        if (made++ < count) visit(event);
        end = event.endTimestamp();
    };
    while (made < count) {
        MousePathEvent path{t, {}};
        const int points = 3 + static_cast<int>(random() % 10);
        for (int i = 0; i < points; ++i) {
            x += static_cast<double>(random() % 41) - 20 + 0.5;
            y += static_cast<double>(random() % 31) - 15 + 0.25;
            path.points.push_back({static_cast<std::uint64_t>(i) * 8 * kMillisecond, x, y});
        }
        t = path.endTimestamp() + 30 * kMillisecond;
        emit(RecordingEvent::mousePath(std::move(path)));
        emit(RecordingEvent::mouseDown({t, MouseButton::left, 0, x, y, 1, 0}));
        t += 90 * kMillisecond;
        emit(RecordingEvent::mouseUp({t, MouseButton::left, 0, x, y, 1, 0}));
        emit(RecordingEvent::idleGap({t, 400 * kMillisecond}));
        t += 400 * kMillisecond;
        emit(RecordingEvent::flagsChanged({t, 56, 0x20000, true}));
        for (int i = 0; i < 6; ++i) {
            const auto key = static_cast<std::uint16_t>(random() % 50);
            const std::uint64_t modifiers = i == 0 ? 0x20000 : 0;
            t += 70 * kMillisecond;
            emit(RecordingEvent::keyDown({t, key, modifiers, false}));
            t += 60 * kMillisecond;
            emit(RecordingEvent::keyUp({t, key, modifiers, false}));
            if (i == 0) emit(RecordingEvent::flagsChanged({t + 5 * kMillisecond, 56, 0, false}));
        }
        emit(RecordingEvent::idleGap({t, 1500 * kMillisecond}));
        t += 1500 * kMillisecond;
    }
}

void keys(std::int64_t count, const Visit& visit, std::uint64_t& end) {
    for (std::int64_t i = 0; i < count; ++i) {
        const auto t = static_cast<std::uint64_t>(i);
        const auto key = static_cast<std::uint16_t>(i / 2 % 50);
        visit(i % 2 ? RecordingEvent::keyUp({t, key, 0, false}) : RecordingEvent::keyDown({t, key, 0, false}));
        end = t;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view kind = argc == 4 ? argv[3] : "";
    if (kind != "session" && kind != "keys") {
        std::cerr << "usage: brevanor-large-recording FILE EVENTS session|keys\n";
        return 2;
    }
    const std::int64_t count = std::atoll(argv[2]);
    const auto events = [&](const Visit& visit, std::uint64_t& end) {
        if (kind == "session") {
            session(count, visit, end);
        } else {
            keys(count, visit, end);
        }
    };
    RecordingSummary summary;
    summary.id = Uuid::random();
    summary.name = std::string("Long ") + argv[3];
    summary.createdAt = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    summary.eventCount = count;
    // The summary precedes the events in the document: a first walk finds where they end.
    events([](const RecordingEvent&) {}, summary.durationNanos);
    std::ofstream out(argv[1], std::ios::binary);
    std::uint64_t ignored = 0;
    RecordingJSONEncoder().encode(
        summary, [&](const Visit& visit) { events(visit, ignored); },
        [&](std::string_view piece) { out.write(piece.data(), static_cast<std::streamsize>(piece.size())); });
    out.close();
    return out ? 0 : 1;
}
