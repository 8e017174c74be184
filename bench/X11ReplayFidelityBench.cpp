// Replay fidelity, judged as the end-to-end tests judge it but at scale: in a
// private Xvfb, xdotool performs a 200-event task (clicks with mouse glides
// between them, typing, scrolls) while brevanor-cli records it and the outside
// harness logger writes the reference. The recording is then replayed 10 times
// by brevanor-cli and, in the same run, by its baseline brevanor-bare-injector
// (one thread, clock_nanosleep to absolute deadlines, one XFlush per request,
// no priority, no spinning) replaying exactly the same requests at the same
// offsets; once on an idle machine and once with both cores kept busy by two
// spinning threads of normal priority. A second recording is made while both
// cores are busy and replayed on an idle machine: its clicks must land where
// they were made. Nothing is pinned to a processor. The comparator's figures
// are reported as counters:
//   runs_matching_count  runs whose event count equals the reference's
//   max_pos_px           the largest position error of any run
//   p95_ms               the largest of the runs' 95th-percentile timing errors
//   max_ms               the largest timing error of any run
// The goals (Brevanor no worse than the baseline; position 0) are for the
// reader: nothing is asserted. Run it with nothing else running.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
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

constexpr int kReplays = 10;
constexpr const char* kDelaySeconds = "0.3";

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

AcceptanceSession::Result replay(Fixture& f, Player player) {
    if (player == Player::brevanor) {
        return f.session->play(f.id, {"--repeat", std::to_string(kReplays), "--delay", kDelaySeconds});
    }
    return f.session->replayWith({BREVANOR_BARE_INJECTOR, "--display", f.server->displayName(), "--schedule",
                                  f.schedule.string(), "--repeat", std::to_string(kReplays), "--delay", kDelaySeconds});
}

void replayAndReport(benchmark::State& state, Fixture& f, Player player, int busyThreads) {
    if (!f.failure.empty()) return state.SkipWithError(f.failure.c_str());
    AcceptanceReport report;
    for (auto _ : state) {
        const auto played = whileBusy(busyThreads, [&] { return replay(f, player); });
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
    state.counters["max_pos_px"] = maxPosition;
    state.counters["p95_ms"] = p95;
    state.counters["max_ms"] = maxTiming;
}

void BM_BrevanorIdle(benchmark::State& state) { replayAndReport(state, recordedIdle(), Player::brevanor, 0); }
void BM_BareInjectorIdle(benchmark::State& state) { replayAndReport(state, recordedIdle(), Player::bare, 0); }
void BM_BrevanorBothCoresBusy(benchmark::State& state) { replayAndReport(state, recordedIdle(), Player::brevanor, 2); }
void BM_BareInjectorBothCoresBusy(benchmark::State& state) { replayAndReport(state, recordedIdle(), Player::bare, 2); }
// Recorded while both cores were busy, replayed on an idle machine.
void BM_BrevanorRecordedBusy(benchmark::State& state) { replayAndReport(state, recordedBusy(), Player::brevanor, 0); }

BENCHMARK(BM_BrevanorIdle)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_BareInjectorIdle)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_BrevanorBothCoresBusy)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_BareInjectorBothCoresBusy)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_BrevanorRecordedBusy)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
