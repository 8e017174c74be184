// How close to its deadline the playback engine posts each action, measured with
// the fake injector, which notes the time every event is handed over.
//
// Lateness = post time - (anchor + offset). The engine's anchor is not visible
// from outside; it is taken as the smallest (post time - offset) of the run,
// which understates every lateness by the smallest one (the few microseconds of
// a wake-up that was exactly on time).
//
// Default run: short schedules. `--long` runs what the goals name: 60 s
// schedules, a 10 s pause and a 10-minute schedule for drift.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "base/time/MonotonicClock.h"
#include "core/dispatch/SerialQueue.h"
#include "core/playback/PlaybackEngine.h"
#include "core/playback/PlaybackTimeline.h"
#include "platform/fake/FakeInputInjector.h"
#include "platform/fake/ManualMainQueue.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kSecond = 1'000 * kMs;

bool gLong = false;

// Keeps every core busy with plain arithmetic at normal priority while it exists.
class BusyCores {
public:
    explicit BusyCores(bool enabled) {
        if (!enabled) return;
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < cores; ++i) {
            threads_.emplace_back([this] {
                volatile std::uint64_t sink = 0;
                while (!stop_.load(std::memory_order_relaxed)) sink = sink * 3 + 1;
            });
        }
    }
    ~BusyCores() {
        stop_ = true;
        for (auto& t : threads_) t.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

// A recording of someone at work: moving the mouse, clicking, dragging, typing,
// scrolling and pausing, with the recorder's 125 Hz mouse paths.
Recording realisticRecording(std::uint64_t lengthNanos, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    const auto between = [&rng](std::uint64_t lo, std::uint64_t hi) {
        return std::uniform_int_distribution<std::uint64_t>(lo, hi)(rng);
    };
    Recording recording;
    std::uint64_t t = 0;
    double x = 500, y = 400;
    const auto path = [&](std::uint64_t durationNanos) {
        MousePathEvent p{t, {}};
        for (std::uint64_t dt = 0; dt <= durationNanos; dt += 8 * kMs) {
            x += double(between(0, 20)) - 10;
            y += double(between(0, 20)) - 10;
            p.points.push_back({dt, x, y});
        }
        recording.events.push_back(RecordingEvent::mousePath(p));
        t += durationNanos + 8 * kMs;
    };
    const auto button = [&](bool down) {
        const MouseButtonEvent e{t, MouseButton::left, 0, x, y, 1, 0};
        recording.events.push_back(down ? RecordingEvent::mouseDown(e) : RecordingEvent::mouseUp(e));
    };
    while (t < lengthNanos) {
        switch (between(0, 5)) {
            case 0: path(between(300, 1500) * kMs); break;
            case 1:  // click
                path(between(200, 600) * kMs);
                button(true);
                t += between(60, 120) * kMs;
                button(false);
                t += between(50, 200) * kMs;
                break;
            case 2:  // drag
                button(true);
                t += 50 * kMs;
                path(between(300, 900) * kMs);
                button(false);
                t += 100 * kMs;
                break;
            case 3:  // typing
                for (std::uint64_t i = between(5, 20); i > 0; --i) {
                    const auto code = static_cast<std::uint16_t>(between(0, 50));
                    recording.events.push_back(RecordingEvent::keyDown({t, code, 0, false}));
                    recording.events.push_back(RecordingEvent::keyUp({t + between(60, 100) * kMs, code, 0, false}));
                    t += between(120, 250) * kMs;
                }
                break;
            case 4:  // scrolling
                for (int i = 0; i < 10; ++i) {
                    recording.events.push_back(RecordingEvent::scroll({t, x, y, 0, 1, 0, 12, true, 2, 0, 0}));
                    t += 16 * kMs;
                }
                break;
            default: {  // pause
                const std::uint64_t pause = between(200, 2000) * kMs;
                recording.events.push_back(RecordingEvent::idleGap({t, pause}));
                t += pause;
            }
        }
    }
    return recording;
}

std::vector<ScheduledAction> realisticSchedule(std::uint64_t lengthNanos) {
    return PlaybackTimeline::build(realisticRecording(lengthNanos, 42), {}, CursorTransform::identity());
}

std::vector<ScheduledAction> denseSchedule(std::uint64_t lengthNanos, std::uint64_t perSecond) {
    std::vector<ScheduledAction> actions;
    const std::uint64_t step = kSecond / perSecond;
    for (std::uint64_t at = 0; at <= lengthNanos; at += step) {
        actions.push_back({at, PlaybackAction::moveCursor(double(at % 1000), 0)});
    }
    return actions;
}

struct PlaybackRun {
    std::vector<std::uint64_t> latenessNanos;  // per action, in schedule order
    double cpuSeconds = 0;                     // of the engine's queue thread while playing
    double wallSeconds = 0;
    bool realtime = false;  // the engine's queue ran with a real-time priority
};

// The /proc entry of the engine's queue thread, found by its name ("com.brevanor.playback"
// cut to the 15 bytes a thread name holds); empty when there is none.
std::filesystem::path playbackThread() {
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name == "evanor.playback") return task.path();
    }
    return {};
}

// Time the engine's queue thread spent on a CPU, from the scheduler's own accounting.
double playbackThreadCpuSeconds() {
    std::ifstream schedstat(playbackThread() / "schedstat");
    std::uint64_t onCpuNanos = 0;
    schedstat >> onCpuNanos;
    return double(onCpuNanos) / 1e9;
}

// Whether the system granted the queue its real-time priority (scheduling policy, field 41
// of the thread's stat line, 1 = SCHED_FIFO); the figures differ by orders of magnitude.
bool playbackThreadIsRealtime() {
    std::ifstream stat(playbackThread() / "stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));  // field 3 onwards
    std::string field;
    for (int i = 3; i <= 41 && fields >> field; ++i) {
    }
    return field == "1";
}

PlaybackRun play(const std::vector<ScheduledAction>& actions) {
    auto injector = std::make_shared<FakeInputInjector>();
    auto mainQueue = std::make_shared<ManualMainQueue>();
    // The engine's queue as the application makes it.
    auto queue = std::make_shared<SerialQueue>("com.brevanor.playback", SerialQueue::Priority::userInteractive);
    auto engine = PlaybackEngine::make(std::make_shared<EventPoster>(injector), mainQueue, queue);

    const double cpuBefore = playbackThreadCpuSeconds();
    const std::uint64_t wallBefore = MonotonicClock::now();
    engine->start(actions, {});
    // Sleep through the run: a waiter woken by every post would contend for the injector's
    // lock with the playback thread and measure itself.
    std::this_thread::sleep_for(std::chrono::nanoseconds(PlaybackTimeline::duration(actions)));
    injector->waitUntilPosted(actions.size(), std::chrono::seconds(30));
    PlaybackRun run;
    run.realtime = playbackThreadIsRealtime();
    run.cpuSeconds = playbackThreadCpuSeconds() - cpuBefore;
    run.wallSeconds = double(MonotonicClock::now() - wallBefore) / 1e9;
    engine->stop();

    const auto posted = injector->posted();
    std::uint64_t anchor = UINT64_MAX;
    for (std::size_t i = 0; i < actions.size() && i < posted.size(); ++i) {
        anchor = std::min(anchor, posted[i].atNanos - actions[i].offsetNanos);
    }
    for (std::size_t i = 0; i < actions.size() && i < posted.size(); ++i) {
        run.latenessNanos.push_back(posted[i].atNanos - actions[i].offsetNanos - anchor);
    }
    return run;
}

double percentileUs(std::vector<std::uint64_t> values, double p) {
    if (values.empty()) return 0;
    const auto k = static_cast<std::size_t>(p * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(k), values.end());
    return double(values[k]) / 1e3;
}

void report(benchmark::State& state, const PlaybackRun& run, const std::vector<std::uint64_t>& lateness) {
    state.counters["realtime"] = run.realtime ? 1 : 0;
    state.counters["actions"] = double(lateness.size());
    state.counters["p50_us"] = percentileUs(lateness, 0.50);
    state.counters["p95_us"] = percentileUs(lateness, 0.95);
    state.counters["p99_us"] = percentileUs(lateness, 0.99);
    state.counters["max_us"] = percentileUs(lateness, 1.0);
}

// Args: schedule seconds, actions per second (0 = realistic), busy cores (0/1).
void BM_Lateness(benchmark::State& state) {
    const std::uint64_t length = std::uint64_t(state.range(0)) * kSecond;
    const auto actions =
        state.range(1) == 0 ? realisticSchedule(length) : denseSchedule(length, std::uint64_t(state.range(1)));
    for (auto _ : state) {
        BusyCores load(state.range(2) != 0);
        const PlaybackRun run = play(actions);
        report(state, run, run.latenessNanos);
        state.counters["cpu_pct"] = 100.0 * run.cpuSeconds / run.wallSeconds;
    }
}

// The CPU the engine uses while it waits out one long pause between two actions.
void BM_PauseCpu(benchmark::State& state) {
    const std::uint64_t pause = std::uint64_t(state.range(0)) * kSecond;
    const std::vector<ScheduledAction> actions{{0, PlaybackAction::moveCursor(0, 0)},
                                               {pause, PlaybackAction::moveCursor(1, 1)}};
    for (auto _ : state) {
        const PlaybackRun run = play(actions);
        state.counters["realtime"] = run.realtime ? 1 : 0;
        state.counters["cpu_pct"] = 100.0 * run.cpuSeconds / run.wallSeconds;
        state.counters["last_late_us"] = double(run.latenessNanos.back()) / 1e3;
    }
}

// Lateness at the start and at the end of a long realistic schedule: errors must not add up.
void BM_Drift(benchmark::State& state) {
    const auto actions = realisticSchedule(std::uint64_t(state.range(0)) * kSecond);
    for (auto _ : state) {
        const PlaybackRun run = play(actions);
        const std::size_t tenth = run.latenessNanos.size() / 10;
        const std::vector<std::uint64_t> head(run.latenessNanos.begin(), run.latenessNanos.begin() + tenth);
        const std::vector<std::uint64_t> tail(run.latenessNanos.end() - tenth, run.latenessNanos.end());
        report(state, run, run.latenessNanos);
        state.counters["first_late_us"] = double(run.latenessNanos.front()) / 1e3;
        state.counters["last_late_us"] = double(run.latenessNanos.back()) / 1e3;
        state.counters["head_p50_us"] = percentileUs(head, 0.5);
        state.counters["tail_p50_us"] = percentileUs(tail, 0.5);
        state.counters["head_p99_us"] = percentileUs(head, 0.99);
        state.counters["tail_p99_us"] = percentileUs(tail, 0.99);
    }
}

void registerBenchmarks() {
    const auto once = [](benchmark::internal::Benchmark* b) {
        b->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    const std::int64_t seconds = gLong ? 60 : 5;
    for (std::int64_t busy : {0, 1}) {
        once(benchmark::RegisterBenchmark("Lateness/realistic", BM_Lateness)
                 ->Args({seconds, 0, busy})
                 ->ArgNames({"s", "rate", "busy"}));
        once(benchmark::RegisterBenchmark("Lateness/dense", BM_Lateness)
                 ->Args({seconds, 1000, busy})
                 ->ArgNames({"s", "rate", "busy"}));
    }
    once(benchmark::RegisterBenchmark("PauseCpu", BM_PauseCpu)->Arg(gLong ? 10 : 2)->ArgName("s"));
    once(benchmark::RegisterBenchmark("Drift/realistic", BM_Drift)->Arg(gLong ? 600 : 20)->ArgName("s"));
}

}  // namespace
}  // namespace brevanor

int main(int argc, char** argv) {
    // Our own flag first, so that benchmark::Initialize does not reject it.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--long") == 0) {
            brevanor::gLong = true;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    brevanor::registerBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
