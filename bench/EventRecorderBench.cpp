// How fast the recorder takes a realistic input stream, and how much memory a
// kept mouse-path point costs while recording.
//
//   build/release/bench/EventRecorderBench

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <memory>
#include <vector>

#include "base/values/ModifierKeys.h"
#include "core/capture/EventRecorder.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/fake/ManualTimedQueue.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kStart = 1'000'000 * kMs;

// About a minute of busy desk work: the mouse reports every millisecond while it
// moves (in strokes of 0.5 to 2 s separated by short rests), a click ends every
// stroke, and a few key presses with a modifier follow some of them.
std::vector<TapEvent> realisticStream(std::size_t count) {
    std::vector<TapEvent> events;
    events.reserve(count);
    std::uint64_t t = kStart;
    double x = 400;
    double y = 300;
    std::uint64_t stroke = 0;
    auto add = [&](TapEvent::Kind kind, std::uint64_t flags = 0) {
        events.push_back(TapEvent{kind, t, {x, y}, flags, 0, false});
    };
    while (events.size() < count) {
        const std::uint64_t strokeMs = 500 + (stroke * 379) % 1500;
        for (std::uint64_t ms = 0; ms < strokeMs && events.size() < count; ++ms) {
            const double phase = static_cast<double>(ms) / 180.0;
            x += 1.6 * std::cos(phase + static_cast<double>(stroke));
            y += 1.1 * std::sin(phase * 1.3);
            t += kMs;
            add(TapEvent::Kind::mouseMoved());
        }
        t += 40 * kMs;
        add(TapEvent::Kind::mouseDown(MouseButton::left, 0, 1));
        t += 70 * kMs;
        add(TapEvent::Kind::mouseUp(MouseButton::left, 0, 1));
        if (stroke % 3 == 0) {
            t += 200 * kMs;
            add(TapEvent::Kind::flagsChanged(56), ModifierKeys::shiftMask);
            for (std::uint16_t key = 0; key < 4; ++key) {
                t += 90 * kMs;
                add(TapEvent::Kind::keyDown(key, false), ModifierKeys::shiftMask);
                t += 60 * kMs;
                add(TapEvent::Kind::keyUp(key), ModifierKeys::shiftMask);
            }
            t += 50 * kMs;
            add(TapEvent::Kind::flagsChanged(56));
        }
        t += 300 * kMs;
        ++stroke;
    }
    events.resize(count);
    return events;
}

std::shared_ptr<EventRecorder> makeRecorder() {
    return std::make_shared<EventRecorder>(std::make_shared<ManualMainQueue>(), std::make_shared<ManualTimedQueue>(),
                                           std::make_shared<FakeSecureInput>(), nullptr);
}

// Heap bytes in use, with the allocator's own overhead per block.
std::int64_t heapBytesInUse() { return static_cast<std::int64_t>(mallinfo2().uordblks); }

std::size_t pathPointCount(const Recording& recording) {
    std::size_t points = 0;
    for (const RecordingEvent& event : recording.events) {
        if (event.kind() == RecordingEvent::Kind::mousePath) points += event.path().points.size();
    }
    return points;
}

// consume() on one core: the events of the stream per second.
void BM_ConsumeRealisticStream(benchmark::State& state) {
    const auto stream = realisticStream(static_cast<std::size_t>(state.range(0)));
    auto recorder = makeRecorder();
    for (auto _ : state) {
        state.PauseTiming();
        recorder->start(nullptr, kStart, EnvironmentSnapshot::empty());
        state.ResumeTiming();
        for (const TapEvent& event : stream) recorder->consume(event);
        state.PauseTiming();
        benchmark::DoNotOptimize(recorder->eventCount());
        recorder->stop(stream.back().timestamp, std::nullopt, std::nullopt, "");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_ConsumeRealisticStream)->Arg(60'000)->Unit(benchmark::kMillisecond);

// What a recording in progress holds on the heap per kept path point: the points
// themselves, their vectors' spare room and each path's share of the event list.
void BM_MemoryPerKeptPathPoint(benchmark::State& state) {
    const auto stream = realisticStream(static_cast<std::size_t>(state.range(0)));
    double bytesPerPoint = 0;
    double keptPoints = 0;
    for (auto _ : state) {
        auto recorder = makeRecorder();
        const std::int64_t before = heapBytesInUse();
        recorder->start(nullptr, kStart, EnvironmentSnapshot::empty());
        for (const TapEvent& event : stream) recorder->consume(event);
        const std::int64_t held = heapBytesInUse() - before;
        const Recording recording = recorder->stop(stream.back().timestamp, std::nullopt, std::nullopt, "");
        keptPoints = static_cast<double>(pathPointCount(recording));
        bytesPerPoint = static_cast<double>(held) / keptPoints;
    }
    state.counters["keptPoints"] = keptPoints;
    state.counters["bytesPerPoint"] = bytesPerPoint;
    state.counters["pointBytes"] = static_cast<double>(sizeof(PathPoint));
}
BENCHMARK(BM_MemoryPerKeptPathPoint)->Arg(60'000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brevanor
