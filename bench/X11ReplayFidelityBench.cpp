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
// made. The application's own play path is measured apart: Brevanor's
// application runs in the session beside a real tray host (trayer), and each
// replay is handed to it by `Brevanor --play-last`, as a desktop's key binding
// does; the logger watches for the recording's length and two seconds more.
// Nothing is pinned to a processor. Every replay is printed on standard
// error; the counters sum them up per program (cli_, app_ or bare_):
//   p95_median_ms    the median of the replays' 95th-percentile timing errors
//   max_median_ms    the median of the replays' largest timing errors
//   max_ms           the largest timing error of any replay
//   runs_matching    replays whose event count equals the reference's
//   max_pos_px       the largest position error of any replay
//   sched_p95_median_ms, sched_max_median_ms
//                    the same medians with the replay log judged against the
//                    schedule the replay was given instead of the reference
//                    log, as Brevanor's own fidelity report judges it
// p95_median_ratio is Brevanor's median p95 over the baseline's, and
// cli_reports_agreeing counts the replays whose `--report` p95 and max both
// agree with the logger's against the schedule (within 0.5 ms or 50 %). The
// goals (Brevanor no worse than the baseline; position 0; every report
// agreeing) are for the reader: nothing is asserted. Run it with nothing else
// running.

#include <benchmark/benchmark.h>
#include <simdjson.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/BareSchedule.h"
#include "cli/AcceptanceSession.h"
#include "cli/ChildProcess.h"
#include "cli/PrivateXServer.h"
#include "core/acceptance/AcceptanceComparator.h"
#include "core/store/IniPreferencesStore.h"
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
    std::vector<HarnessLogEntry> scheduled;  // the schedule as the logger logs a replay without timing errors
    std::uint64_t lengthNanos = 0;           // of the recording as it is played
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
            const Recording recording = store.load(*Uuid::parse(id));
            schedule = folder / "bare.schedule";
            scheduled = writeBareSchedule(recording, schedule);
            lengthNanos = recording.trimmedDurationNanos();
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

// Brevanor's application running in a fixture's session beside a tray host, as after its first launch.
struct Application {
    std::unique_ptr<ChildProcess> tray;
    std::unique_ptr<ChildProcess> brevanor;
    std::string failure;

    explicit Application(Fixture& f) {
        if (!f.failure.empty()) {
            failure = f.failure;
            return;
        }
        if (std::string(BREVANOR_APP_PROGRAM).empty()) {
            failure = "the application is not built";
            return;
        }
        try {
            tray = std::make_unique<ChildProcess>(std::vector<std::string>{"trayer", "--edge", "bottom"},
                                                  f.session->childOptions("trayer"));
            IniPreferencesStore(f.folder / "config" / "Brevanor" / "Brevanor.conf")
                .setBoolean("hasLaunchedBefore", true);
            brevanor = std::make_unique<ChildProcess>(std::vector<std::string>{BREVANOR_APP_PROGRAM},
                                                      applicationOptions(f, "application"));
            // It listens for other launches before it sets up the rest; a second more for that.
            const auto socket = f.folder / "runtime" / "com.brevanor.Brevanor.socket";
            for (int wait = 0; wait < 100 && !std::filesystem::exists(socket) && !brevanor->exitStatus(); ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            std::this_thread::sleep_for(std::chrono::seconds(1));
            if (tray->exitStatus()) failure = "trayer did not start";
            if (!std::filesystem::exists(socket) || brevanor->exitStatus()) failure = "the application did not start";
        } catch (const std::exception& error) {
            failure = error.what();
        }
    }

    // The session's display, library and preferences, and a home, cache and no session bus under its folder.
    static ChildProcess::Options applicationOptions(Fixture& f, const std::string& name) {
        ChildProcess::Options options = f.session->childOptions(name);
        options.environment.emplace_back("HOME", f.folder.string());
        options.environment.emplace_back("XDG_CACHE_HOME", (f.folder / "cache").string());
        options.environment.emplace_back("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (f.folder / "no-bus").string());
        return options;
    }
};

Application& runningApplication() {
    static Application instance(recordedIdle());
    return instance;
}

enum class Player { brevanor, application, bare };

const char* nameOf(Player player) {
    switch (player) {
        case Player::brevanor: return "brevanor-cli";
        case Player::application: return "application";
        case Player::bare: return "bare";
    }
    return "";
}

// One replay judged by the logger against the reference and against the schedule, with what
// `brevanor-cli play --report --json` said of it (empty for the other programs).
struct Replay {
    AcceptanceRunResult againstReference, againstSchedule;
    std::string ownReport;
};

// The one run a replay log holds, as judged.
AcceptanceRunResult onlyRun(const AcceptanceReport& report) {
    if (report.runs.size() != 1) throw std::runtime_error("the replay log does not hold exactly one run");
    return report.runs.front();
}

// One replay of one run by a program started for it, as a user starts `brevanor-cli play`, or
// by the running application, handed the replay by a program started for that.
Replay replayOnce(Fixture& f, Player player) {
    const std::string watchSeconds = std::to_string((f.lengthNanos + 2'999'999'999) / 1'000'000'000);
    const auto played =
        player == Player::brevanor ? f.session->play(f.id, {"--report", "--json"})
        : player == Player::application
            ? f.session->replayWith(
                  {"/bin/sh", "-c", "\"$0\" --play-last && exec sleep " + watchSeconds, BREVANOR_APP_PROGRAM})
            : f.session->replayWith(
                  {BREVANOR_BARE_INJECTOR, "--display", f.server->displayName(), "--schedule", f.schedule.string()});
    if (played.exitStatus != 0) throw std::runtime_error(played.errors);
    Replay replay{onlyRun(f.session->report()),
                  onlyRun(AcceptanceComparator::compareLogs(f.scheduled, f.session->replayEntries(), std::nullopt)),
                  player == Player::brevanor ? played.output : ""};
    while (!replay.ownReport.empty() && replay.ownReport.back() == '\n') replay.ownReport.pop_back();
    return replay;
}

// Whether Brevanor's own report (`--report --json`) agrees with the logger's judgement of the same replay
// against the schedule: p95 and max each within 0.5 ms or 50 %.
bool ownReportAgrees(const std::string& ownReport, const AcceptanceRunResult& logged) {
    simdjson::dom::parser parser;
    double p95 = 0, max = 0;
    const simdjson::dom::element report = parser.parse(ownReport);
    if (report["timingP95Ms"].get(p95) || report["timingMaxMs"].get(max)) return false;
    const auto agrees = [](double own, double logger) { return std::abs(own - logger) <= std::max(0.5, 0.5 * logger); };
    return agrees(p95, logged.timingP95Ms) && agrees(max, logged.timingMaxMs);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Brevanor (`player`) and the baseline take turns, kInvocations replays each, so both meet the same machine.
void alternateAndReport(benchmark::State& state, const std::string& name, Fixture& f, int busyThreads,
                        Player player = Player::brevanor) {
    if (!f.failure.empty()) return state.SkipWithError(f.failure.c_str());
    struct Figures {
        std::vector<double> p95, max, scheduleP95, scheduleMax;
        double matching = 0, maxPosition = 0;
    } figures[2];  // Brevanor's, the baseline's
    int reportsAgreeing = 0;
    try {
        for (auto _ : state) {
            for (int i = 0; i < kInvocations; ++i) {
                for (const Player turn : {player, Player::bare}) {
                    const Replay replay = whileBusy(busyThreads, [&] { return replayOnce(f, turn); });
                    const AcceptanceRunResult& run = replay.againstReference;
                    Figures& mine = figures[turn == Player::bare ? 1 : 0];
                    mine.p95.push_back(run.timingP95Ms);
                    mine.max.push_back(run.timingMaxMs);
                    mine.scheduleP95.push_back(replay.againstSchedule.timingP95Ms);
                    mine.scheduleMax.push_back(replay.againstSchedule.timingMaxMs);
                    mine.matching += run.actualCount == run.expectedCount ? 1 : 0;
                    mine.maxPosition = std::max(mine.maxPosition, run.maxPositionError);
                    if (!replay.ownReport.empty() && ownReportAgrees(replay.ownReport, replay.againstSchedule)) {
                        ++reportsAgreeing;
                    }
                    std::fprintf(stderr,
                                 "%s %s: %lld/%lld events, p95 %.2f ms, max %.2f ms, %.0f px; "
                                 "against the schedule p95 %.2f ms, max %.2f ms %s\n",
                                 name.c_str(), nameOf(turn), static_cast<long long>(run.actualCount),
                                 static_cast<long long>(run.expectedCount), run.timingP95Ms, run.timingMaxMs,
                                 run.maxPositionError, replay.againstSchedule.timingP95Ms,
                                 replay.againstSchedule.timingMaxMs, replay.ownReport.c_str());
                }
            }
        }
    } catch (const std::exception& error) {
        return state.SkipWithError(error.what());
    }
    for (const int side : {0, 1}) {
        const Figures& mine = figures[side];
        const std::string prefix = side == 1 ? "bare_" : player == Player::application ? "app_" : "cli_";
        state.counters[prefix + "p95_median_ms"] = median(mine.p95);
        state.counters[prefix + "max_median_ms"] = median(mine.max);
        state.counters[prefix + "max_ms"] = *std::max_element(mine.max.begin(), mine.max.end());
        state.counters[prefix + "runs_matching"] = mine.matching;
        state.counters[prefix + "max_pos_px"] = mine.maxPosition;
        state.counters[prefix + "sched_p95_median_ms"] = median(mine.scheduleP95);
        state.counters[prefix + "sched_max_median_ms"] = median(mine.scheduleMax);
    }
    state.counters["p95_median_ratio"] = median(figures[0].p95) / std::max(median(figures[1].p95), 1e-9);
    if (player == Player::brevanor) state.counters["cli_reports_agreeing"] = reportsAgreeing;
}

void BM_Idle(benchmark::State& state) { alternateAndReport(state, "idle", recordedIdle(), 0); }
void BM_BothCoresBusy(benchmark::State& state) { alternateAndReport(state, "busy", recordedIdle(), 2); }
// Recorded while both cores were busy, replayed on an idle machine: the clicks must land where they were made.
void BM_RecordedBusy(benchmark::State& state) { alternateAndReport(state, "recorded-busy", recordedBusy(), 0); }
// The same recording as BM_Idle, played by the application.
void BM_IdleApplication(benchmark::State& state) {
    const Application& application = runningApplication();
    if (!application.failure.empty()) return state.SkipWithError(application.failure.c_str());
    alternateAndReport(state, "idle", recordedIdle(), 0, Player::application);
}

BENCHMARK(BM_Idle)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_BothCoresBusy)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RecordedBusy)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleApplication)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
