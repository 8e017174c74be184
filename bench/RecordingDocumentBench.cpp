// Writing and reading the JSON document of a long recording: 100,000 events of
// a realistic mix (mouse paths of 20 to 200 points, clicks, typing with
// modifiers, scroll bursts, idle gaps between actions).
//
// Goals: encode and decode at 250 MB/s or more each; while decoding, memory
// beyond the document's bytes and the decoded recording stays within 3x the
// document's size. BM_DecodePeakMemory measures the resident peak (what the
// machine pays) and the peak of live heap allocations (which also counts
// buffers the parser reserves but never touches).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <simdjson.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <random>
#include <string>

#include "bench/ProcessStatus.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"

namespace {

// --- Live heap bytes, counted while `counting` is on -------------------------

std::atomic<bool> counting{false};
std::atomic<std::int64_t> liveBytes{0};
std::atomic<std::int64_t> peakBytes{0};

void* allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    if (counting.load(std::memory_order_relaxed)) {
        const std::int64_t live = liveBytes += static_cast<std::int64_t>(malloc_usable_size(block));
        std::int64_t peak = peakBytes.load();
        while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
        }
    }
    return block;
}

void release(void* block) {
    if (block == nullptr) return;
    if (counting.load(std::memory_order_relaxed)) liveBytes -= static_cast<std::int64_t>(malloc_usable_size(block));
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }

namespace brevanor {
namespace {

constexpr std::size_t kEventCount = 100'000;
constexpr std::uint64_t kMillisecond = 1'000'000;

// A recording session as the recorder would produce it, from a fixed seed.
class SessionGenerator {
public:
    Recording make() {
        EnvironmentSnapshot environment;
        environment.displays = {{69733382, {0, 0, 1512, 982}, 2.0}, {724042646, {1512, -98, 2560, 1440}, 1.0}};
        environment.frontmostApp =
            FrontmostAppInfo{"com.example.Editor", "Editor", "Untitled", FrameRect{0, 25, 1512, 957}};
        environment.keyboardInputSourceID = "com.apple.keylayout.US";
        events_.reserve(kEventCount);
        pause(800 * kMillisecond);
        while (events_.size() < kEventCount) {
            const int action = static_cast<int>(random_() % 100);
            if (action < 45) {
                movePath();
                click();
            } else if (action < 80) {
                type();
            } else {
                movePath();
                scrollBurst();
            }
            pause(between(20, 1500) * kMillisecond);
        }
        events_.erase(events_.begin() + kEventCount, events_.end());
        Recording recording(Uuid::random(), "Benchmark session", Date{}, environment, RecordingSettings(), {},
                            std::move(events_));
        recording.applyAutomaticTrim();
        return recording;
    }

private:
    std::uint64_t between(std::uint64_t low, std::uint64_t high) { return low + random_() % (high - low + 1); }
    // Positions on an eighth of a point, as pointer devices report them.
    double coordinate(double value) { return static_cast<double>(static_cast<std::int64_t>(value * 8)) / 8; }

    // Pauses over 50 ms become idle gaps; shorter ones only move the clock.
    void pause(std::uint64_t nanos) {
        if (nanos > 50 * kMillisecond) events_.push_back(RecordingEvent::idleGap({now_, nanos}));
        now_ += nanos;
    }

    void movePath() {
        MousePathEvent path{now_, {}};
        const std::size_t count = between(20, 200);
        std::uint64_t dt = 0;
        for (std::size_t i = 0; i < count; ++i) {
            x_ = coordinate(std::clamp(x_ + static_cast<double>(between(0, 160)) / 8 - 10, 0.0, 1511.0));
            y_ = coordinate(std::clamp(y_ + static_cast<double>(between(0, 160)) / 8 - 10, 0.0, 981.0));
            path.points.push_back({dt, x_, y_});
            dt += between(7, 9) * kMillisecond + between(0, 999'999);
        }
        now_ += path.points.back().dt;
        events_.push_back(RecordingEvent::mousePath(std::move(path)));
        now_ += between(10, 40) * kMillisecond;
    }

    void click() {
        const bool secondary = random_() % 10 == 0;
        const MouseButton button = secondary ? MouseButton::right : MouseButton::left;
        const int clicks = random_() % 6 == 0 ? 2 : 1;
        for (int n = 1; n <= clicks; ++n) {
            events_.push_back(RecordingEvent::mouseDown({now_, button, secondary ? 1 : 0, x_, y_, n, 0}));
            now_ += between(60, 120) * kMillisecond;
            events_.push_back(RecordingEvent::mouseUp({now_, button, secondary ? 1 : 0, x_, y_, n, 0}));
            now_ += between(80, 150) * kMillisecond;
        }
    }

    void type() {
        const std::size_t keys = between(3, 40);
        for (std::size_t i = 0; i < keys; ++i) {
            const bool shifted = random_() % 8 == 0;
            const auto keyCode = static_cast<std::uint16_t>(between(0, 50));
            const std::uint64_t flags = shifted ? 0x20102 : 0x100;
            if (shifted) events_.push_back(RecordingEvent::flagsChanged({now_, 56, flags, true}));
            events_.push_back(RecordingEvent::keyDown({now_ + kMillisecond, keyCode, flags, false}));
            if (random_() % 50 == 0)
                events_.push_back(RecordingEvent::keyDown({now_ + 500 * kMillisecond, keyCode, flags, true}));
            now_ += between(40, 110) * kMillisecond;
            events_.push_back(RecordingEvent::keyUp({now_, keyCode, flags, false}));
            if (shifted) events_.push_back(RecordingEvent::flagsChanged({now_ + kMillisecond, 56, 0x100, false}));
            now_ += between(30, 200) * kMillisecond;
        }
    }

    void scrollBurst() {
        const std::size_t steps = between(5, 60);
        for (std::size_t i = 0; i < steps; ++i) {
            const auto lines = static_cast<std::int64_t>(between(0, 6)) - 3;
            const std::uint32_t phase = i == 0 ? 1 : (i + 1 == steps ? 4 : 2);
            events_.push_back(
                RecordingEvent::scroll({now_, x_, y_, 0, lines, 0, lines * 10 - 1, true, phase, 0, 0x100}));
            now_ += between(8, 17) * kMillisecond;
        }
    }

    std::mt19937_64 random_{20261205};
    std::vector<RecordingEvent> events_;
    std::uint64_t now_ = 0;
    double x_ = 700;
    double y_ = 400;
};

const Recording& session() {
    static const Recording recording = SessionGenerator().make();
    return recording;
}

const std::string& sessionDocument() {
    static const std::string document = Recording::makeJSONEncoder().encode(session());
    return document;
}

void reportThroughput(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sessionDocument().size()));
    state.counters["events/s"] =
        benchmark::Counter(static_cast<double>(kEventCount), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = static_cast<double>(sessionDocument().size()) / 1e6;
}

void BM_Encode(benchmark::State& state) {
    const RecordingJSONEncoder encoder = Recording::makeJSONEncoder();
    for (auto _ : state) benchmark::DoNotOptimize(encoder.encode(session()));
    reportThroughput(state);
}
BENCHMARK(BM_Encode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Decode(benchmark::State& state) {
    RecordingJSONDecoder decoder = Recording::makeJSONDecoder();
    for (auto _ : state) benchmark::DoNotOptimize(decoder.decode(sessionDocument()));
    reportThroughput(state);
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The bytes as the store reads a file: followed by the parser's padding.
const DocumentBytes& sessionBytes() {
    static const DocumentBytes bytes(sessionDocument());
    return bytes;
}

// The first document a decoder reads, as the command line reads one: the
// parser sets up its buffers too.
void BM_DecodeWithNewDecoder(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Recording::makeJSONDecoder().decode(sessionBytes()));
    reportThroughput(state);
}
BENCHMARK(BM_DecodeWithNewDecoder)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The baseline: a new JSON parser alone building its tree of the same padded
// bytes, without a check or a value taken out of it.
void BM_ParseJSONOnly(benchmark::State& state) {
    const DocumentBytes& bytes = sessionBytes();
    for (auto _ : state) {
        simdjson::dom::parser parser;
        simdjson::dom::element root;
        if (parser.parse(bytes.view().data(), bytes.size(), false).get(root) != simdjson::SUCCESS) {
            state.SkipWithError("the document does not parse");
        }
        benchmark::DoNotOptimize(root);
    }
    reportThroughput(state);
}
BENCHMARK(BM_ParseJSONOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What the decoded recording occupies on the heap (each block with its allocator overhead).
double recordingBytes(const Recording& recording) {
    double bytes = sizeof(Recording) + static_cast<double>(recording.events.capacity() * sizeof(RecordingEvent));
    for (const RecordingEvent& event : recording.events) {
        if (event.kind() == RecordingEvent::Kind::mousePath) {
            bytes += static_cast<double>(event.path().points.capacity() * sizeof(PathPoint) + 16);
        }
    }
    return bytes;
}

void BM_DecodePeakMemory(benchmark::State& state) {
    const double fileBytes = static_cast<double>(sessionDocument().size());
    double residentPeak = 0;
    double heapPeak = 0;
    double decodedBytes = 0;
    for (auto _ : state) {
        malloc_trim(0);
        RecordingJSONDecoder decoder = Recording::makeJSONDecoder();
        // Writing 5 to clear_refs resets the resident high-water mark to the current size.
        std::ofstream("/proc/self/clear_refs") << "5";
        const double residentBefore = statusBytes("VmRSS");
        liveBytes = 0;
        peakBytes = 0;
        counting = true;
        const Recording recording = decoder.decode(sessionDocument());
        counting = false;
        residentPeak = statusBytes("VmHWM") - residentBefore;
        heapPeak = static_cast<double>(peakBytes.load());
        decodedBytes = recordingBytes(recording);
    }
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["recording_MB"] = decodedBytes / 1e6;
    state.counters["resident_peak_MB"] = residentPeak / 1e6;
    state.counters["heap_peak_MB"] = heapPeak / 1e6;
    // The goal: (peak - recording) / file <= 3.
    state.counters["resident_x_file"] = (residentPeak - decodedBytes) / fileBytes;
    state.counters["heap_x_file"] = (heapPeak - decodedBytes) / fileBytes;
}
BENCHMARK(BM_DecodePeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace brevanor
