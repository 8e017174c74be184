// Replay fidelity, judged as the end-to-end tests judge it but at scale: in a
// private Xvfb, xdotool performs a 200-event task (clicks with mouse glides
// between them, typing, scrolls) while brevanor-cli records it and the outside
// harness logger writes the reference; brevanor-cli then replays it 10 times
// while the logger writes the replay log, once on an idle machine and once
// with both cores kept busy by two spinning threads of normal priority. The
// comparator's figures are reported as counters:
//   runs_matching_count  runs whose event count equals the reference's
//   max_pos_px           the largest position error of any run
//   p95_ms               the largest of the runs' 95th-percentile timing errors
//   max_ms               the largest timing error of any run
// The goals (position 0, p95 at most 1 ms, max at most 3 ms idle; within the
// comparator's 5 ms / 15 ms busy) are for the reader: nothing is asserted.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/AcceptanceSession.h"
#include "cli/ChildProcess.h"
#include "cli/PrivateXServer.h"
#include "core/acceptance/AcceptanceComparator.h"

namespace {

using namespace brevanor;

constexpr int kReplays = 10;

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

// The private server, the recording and its session, made once for both benchmarks.
struct Fixture {
    std::unique_ptr<PrivateXServer> server;
    std::filesystem::path folder;
    std::unique_ptr<AcceptanceSession> session;
    std::string id;
    std::string failure;

    Fixture() {
        try {
            server = std::make_unique<PrivateXServer>(1280, 800);
            std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-bench-XXXXXX").string();
            if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
            folder = pattern;
            session = std::make_unique<AcceptanceSession>(
                AcceptanceSession::Programs{BREVANOR_CLI_PROGRAM, BREVANOR_HARNESS_LOGGER}, server->displayName(),
                folder);
            id = session->record(task());
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

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

void replayAndReport(benchmark::State& state, int busyThreads) {
    Fixture& f = fixture();
    if (!f.failure.empty()) return state.SkipWithError(f.failure.c_str());
    AcceptanceReport report;
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::vector<std::thread> spinners;
        for (int i = 0; i < busyThreads; ++i) {
            spinners.emplace_back([&] {
                while (!stop.load(std::memory_order_relaxed)) {
                }
            });
        }
        const auto played = f.session->play(f.id, {"--repeat", std::to_string(kReplays), "--delay", "0.3"});
        stop = true;
        for (auto& spinner : spinners) spinner.join();
        if (played.exitStatus != 0) return state.SkipWithError(played.errors.c_str());
        report = f.session->report();
    }
    double matching = 0, maxPosition = 0, p95 = 0, maxTiming = 0;
    for (const AcceptanceRunResult& run : report.runs) {
        matching += run.actualCount == run.expectedCount ? 1 : 0;
        maxPosition = std::max(maxPosition, run.maxPositionError);
        p95 = std::max(p95, run.timingP95Ms);
        maxTiming = std::max(maxTiming, run.timingMaxMs);
    }
    state.counters["events_per_run"] = report.runs.empty() ? 0 : static_cast<double>(report.runs[0].expectedCount);
    state.counters["runs"] = static_cast<double>(report.runs.size());
    state.counters["runs_matching_count"] = matching;
    state.counters["runs_passed"] = static_cast<double>(
        std::count_if(report.runs.begin(), report.runs.end(), [](const auto& run) { return run.passed(); }));
    state.counters["max_pos_px"] = maxPosition;
    state.counters["p95_ms"] = p95;
    state.counters["max_ms"] = maxTiming;
}

void BM_ReplayFidelityIdle(benchmark::State& state) { replayAndReport(state, 0); }
void BM_ReplayFidelityBothCoresBusy(benchmark::State& state) { replayAndReport(state, 2); }

BENCHMARK(BM_ReplayFidelityIdle)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ReplayFidelityBothCoresBusy)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
