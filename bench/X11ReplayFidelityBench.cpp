// Replay fidelity as users get it, judged as the end-to-end tests judge it: in
// a private Xvfb, xdotool performs a 200-event task (clicks with mouse glides
// between them, typing, scrolls) while brevanor-cli records it and the outside
// harness logger writes the reference. The recording is then replayed by
// `brevanor-cli play`, each time a process of its own as a user starts it, and
// in turn with it by the baseline brevanor-bare-injector (one thread,
// clock_nanosleep to absolute deadlines, one XFlush per request, no priority,
// no spinning) replaying exactly the same requests at the same offsets; once
// on an idle machine and once with both cores kept busy by two spinning
// threads of normal priority. A second recording is made while both cores are
// busy and replayed on an idle machine: its clicks must land where they were
// made. Nothing is pinned to a processor. Every replay is printed on standard
// error; the counters sum them up per program (cli_ or bare_):
//   p95_median_ms    the median of the replays' 95th-percentile timing errors
//   max_median_ms    the median of the replays' largest timing errors
//   max_ms           the largest timing error of any replay
//   runs_matching    replays whose event count equals the reference's
//   max_pos_px       the largest position error of any replay
// and p95_median_ratio is Brevanor's median p95 over the baseline's. The goals
// (Brevanor no worse than the baseline; position 0) are for the reader:
// nothing is asserted. Run it with nothing else running.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/BareSchedule.h"
#include "cli/AcceptanceSession.h"
#include "cli/ChildProcess.h"
#include "cli/PrivateXServer.h"
#include "core/acceptance/AcceptanceComparator.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"

namespace {

using namespace brevanor;

// Each program replays this many times, every time as a process of its own.
constexpr int kInvocations = 7;

// 40 clicks (80 events) reached by short glides, 50 keystrokes (100), 20 scroll notches (20).
std::string task() {
    std::string script = "mousemove 100 100\nsleep 0.2\n";
    for (int click = 0; click < 40; ++click) {
        for (int step = 0; step < 3; ++step) script += "mousemove_relative -- 8 5\nsleep 0.01\n";
        script += "mousedown " + std::string(click % 7 == 6 ? "3" : "1") + "\nsleep 0.03\nmouseup " +
                  std::string(click % 7 == 6 ? "3" : "1") + "\nsleep 0.04\n";
    }
    script += "sleep 0.2\ntype --delay 40 'replay fidelity of fifty keys typed in a row is ok'\nsleep 0.2\n";
    for (int notch = 0; notch < 20; ++notch)
        script += std::string("click ") + (notch % 4 == 3 ? "4" : "5") + "\nsleep 0.05\n";
    return script + "sleep 0.2\n";
}

// Runs `work` while `threads` threads of normal priority spin.
template <typename Work>
auto whileBusy(int threads, Work work) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> spinners;
    for (int i = 0; i < threads; ++i) {
        spinners.emplace_back([&] {
            while (!stop.load(std::memory_order_relaxed)) {
            }
        });
    }
    auto result = work();
    stop = true;
    for (auto& spinner : spinners) spinner.join();
    return result;
}

// A private server and one recording of the task in it, with the baseline's schedule of that recording.
struct Fixture {
    std::unique_ptr<PrivateXServer> server;
    std::filesystem::path folder;
    std::unique_ptr<AcceptanceSession> session;
    std::string id;
    std::filesystem::path schedule;
    std::string failure;

    explicit Fixture(int busyThreadsWhileRecording) {
        try {
            server = std::make_unique<PrivateXServer>(1280, 800);
            std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-bench-XXXXXX").string();
            if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
            folder = pattern;
            session = std::make_unique<AcceptanceSession>(
                AcceptanceSession::Programs{BREVANOR_CLI_PROGRAM, BREVANOR_HARNESS_LOGGER}, server->displayName(),
                folder);
            id = whileBusy(busyThreadsWhileRecording, [&] { return session->record(task()); });
            RecordingStore store(folder / "data" / "Brevanor" / "Recordings",
                                 std::make_shared<InMemoryPreferencesStore>());
            schedule = folder / "bare.schedule";
            writeBareSchedule(store.load(*Uuid::parse(id)), schedule);
        } catch (const std::exception& error) {
            failure = error.what();
        }
    }
    ~Fixture() {
        session.reset();
        server.reset();
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }
};

Fixture& recordedIdle() {
    static Fixture instance(0);
    return instance;
}

Fixture& recordedBusy() {
    static Fixture instance(2);
    return instance;
}

enum class Player { brevanor, bare };

// One replay of one run by a program started for it, as a user starts `brevanor-cli play`.
// Also answers what `brevanor-cli play --report --json` said of its own replay.
AcceptanceRunResult replayOnce(Fixture& f, Player player, std::string& ownReport) {
    const auto played = player == Player::brevanor
                            ? f.session->play(f.id, {"--report", "--json"})
                            : f.session->replayWith({BREVANOR_BARE_INJECTOR, "--display", f.server->displayName(),
                                                     "--schedule", f.schedule.string()});
    if (played.exitStatus != 0) throw std::runtime_error(played.errors);
    ownReport = played.output;
    while (!ownReport.empty() && ownReport.back() == '\n') ownReport.pop_back();
    const AcceptanceReport report = f.session->report();
    if (report.runs.size() != 1) throw std::runtime_error("the replay log does not hold exactly one run");
    return report.runs.front();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Brevanor and the baseline take turns, kInvocations replays each, so both meet the same machine.
void alternateAndReport(benchmark::State& state, const std::string& name, Fixture& f, int busyThreads) {
    if (!f.failure.empty()) return state.SkipWithError(f.failure.c_str());
    struct Figures {
        std::vector<double> p95, max;
        double matching = 0, maxPosition = 0;
    } figures[2];
    try {
        for (auto _ : state) {
            for (int i = 0; i < kInvocations; ++i) {
                for (const Player player : {Player::brevanor, Player::bare}) {
                    std::string ownReport;
                    const auto run = whileBusy(busyThreads, [&] { return replayOnce(f, player, ownReport); });
                    Figures& mine = figures[static_cast<int>(player)];
                    mine.p95.push_back(run.timingP95Ms);
                    mine.max.push_back(run.timingMaxMs);
                    mine.matching += run.actualCount == run.expectedCount ? 1 : 0;
                    mine.maxPosition = std::max(mine.maxPosition, run.maxPositionError);
                    std::fprintf(stderr, "%s %s: %lld/%lld events, p95 %.2f ms, max %.2f ms, %.0f px %s\n",
                                 name.c_str(), player == Player::brevanor ? "brevanor-cli" : "bare",
                                 static_cast<long long>(run.actualCount), static_cast<long long>(run.expectedCount),
                                 run.timingP95Ms, run.timingMaxMs, run.maxPositionError, ownReport.c_str());
                }
            }
        }
    } catch (const std::exception& error) {
        return state.SkipWithError(error.what());
    }
    for (const Player player : {Player::brevanor, Player::bare}) {
        const Figures& mine = figures[static_cast<int>(player)];
        const std::string prefix = player == Player::brevanor ? "cli_" : "bare_";
        state.counters[prefix + "p95_median_ms"] = median(mine.p95);
        state.counters[prefix + "max_median_ms"] = median(mine.max);
        state.counters[prefix + "max_ms"] = *std::max_element(mine.max.begin(), mine.max.end());
        state.counters[prefix + "runs_matching"] = mine.matching;
        state.counters[prefix + "max_pos_px"] = mine.maxPosition;
    }
    state.counters["p95_median_ratio"] = median(figures[0].p95) / std::max(median(figures[1].p95), 1e-9);
}

void BM_Idle(benchmark::State& state) { alternateAndReport(state, "idle", recordedIdle(), 0); }
void BM_BothCoresBusy(benchmark::State& state) { alternateAndReport(state, "busy", recordedIdle(), 2); }
// Recorded while both cores were busy, replayed on an idle machine: the clicks must land where they were made.
void BM_RecordedBusy(benchmark::State& state) { alternateAndReport(state, "recorded-busy", recordedBusy(), 0); }

BENCHMARK(BM_Idle)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_BothCoresBusy)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RecordedBusy)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
