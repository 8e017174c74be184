// Replay timing on a Wayland compositor as users get it: a private headless
// sway with our full-screen logging client, which notes when each button and
// key reached it. A recording of 600 keystrokes 12 ms apart and 100 clicks
// 20 ms apart at spread places is replayed by `brevanor-cli play`, each time
// a process of its own, and in turn with it by a bare baseline in this
// process: the same injector posting the same inputs from one thread that
// sleeps to absolute deadlines (clock_nanosleep), without the engine, the
// command or a process start. Timing errors are the client's receipt times
// against the schedule, both counted from a run's first event. Counters, per
// program (cli_ or bare_):
//   p95_median_ms  the median of the runs' 95th-percentile timing errors
//   max_median_ms  the median of the runs' largest timing errors
//   max_ms         the largest timing error of any run
//   runs_complete  runs in which every event arrived, in order
//   max_pos_px     the largest distance of a click from its place
// and p95_median_ratio, Brevanor's median p95 over the baseline's. Nothing is
// asserted; run it with nothing else running.

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/platform/SyntheticInput.h"
#include "base/time/MonotonicClock.h"
#include "cli/ChildProcess.h"
#include "platform/wayland/WaylandInputInjector.h"
#include "tests/wayland/HeadlessSway.h"

namespace {

using namespace brevanor;

constexpr int kRuns = 7;
constexpr std::uint64_t kMs = 1'000'000;

// One scheduled input, as the recording holds it and as the client logs it.
struct Scheduled {
    std::uint64_t at = 0;  // from the recording's start
    SyntheticInput input;
    std::string logged;  // the log line's start: "key 30 1" or "button 272 1 100.00 200.00"
};

std::vector<Scheduled> schedule() {
    std::vector<Scheduled> events;
    std::uint64_t t = 100 * kMs;
    for (int click = 0; click < 100; ++click, t += 40 * kMs) {
        const double x = 20 + (click * 97) % 1240, y = 20 + (click * 61) % 680;
        char place[64];
        std::snprintf(place, sizeof place, "%.2f %.2f", x, y);
        for (const bool down : {true, false}) {
            SyntheticInput input{.type = down ? SyntheticInput::Type::mouseDown : SyntheticInput::Type::mouseUp,
                                 .x = x,
                                 .y = y,
                                 .clickCount = 1};
            events.push_back(
                {t + (down ? 0 : 20 * kMs), input, "button 272 " + std::string(down ? "1 " : "0 ") + place});
        }
    }
    for (int stroke = 0; stroke < 300; ++stroke, t += 24 * kMs) {
        const std::uint16_t neutral = stroke % 2 ? 11 : 0;  // b, a
        const unsigned evdev = stroke % 2 ? 48 : 30;
        for (const bool down : {true, false}) {
            SyntheticInput input{.type = down ? SyntheticInput::Type::keyDown : SyntheticInput::Type::keyUp,
                                 .keyCode = neutral};
            events.push_back({t + (down ? 0 : 12 * kMs), input, "key " + std::to_string(evdev) + (down ? " 1" : " 0")});
        }
    }
    return events;
}

std::string document(const std::vector<Scheduled>& events) {
    std::ostringstream text;
    text << R"({"createdAt":"2026-12-08T10:00:00Z","durationNanos":)" << events.back().at + 100 * kMs
         << R"(,"environment":{"displays":[{"frame":{"height":720,"width":1280,"x":0,"y":0},"id":1,"scale":1}]},)"
         << R"("eventCount":0,"events":[)";
    for (std::size_t i = 0; i < events.size(); ++i) {
        const SyntheticInput& input = events[i].input;
        if (i) text << ",";
        if (input.type == SyntheticInput::Type::mouseDown || input.type == SyntheticInput::Type::mouseUp) {
            text << R"({"button":"left","clickCount":1,"mods":0,"t":)" << events[i].at << R"(,"type":")"
                 << (input.type == SyntheticInput::Type::mouseDown ? "mouseDown" : "mouseUp") << R"(","x":)" << input.x
                 << R"(,"y":)" << input.y << "}";
        } else {
            text << R"({"keyCode":)" << input.keyCode << R"(,"mods":0,"t":)" << events[i].at << R"(,"type":")"
                 << (input.type == SyntheticInput::Type::keyDown ? R"(keyDown","isRepeat":false})" : R"(keyUp"})");
        }
    }
    text << R"(],"id":"0B7E1C52-5C5A-4C55-9E33-2A1D3F7B9A11","name":"Wayland timing","schemaVersion":1,)"
         << R"("settings":{"containsSensitiveInput":false,"cursorMode":"absolute","delayBetweenRepeatsSec":0,)"
         << R"("extraDelayBeforeClickMs":0,"notes":"","repeatCount":1,"repeatInfinite":false,)"
         << R"("silencedWarnings":[],"speed":1},"trim":{"leadingNanos":0,"trailingNanos":0}})";
    return text.str();
}

struct Run {
    double p95Ms = 0, maxMs = 0, maxPositionPx = 0;
    bool complete = false;
};

// The run in the client's log lines `lines` (those it wrote since the run began).
Run judge(const std::vector<Scheduled>& events, const std::vector<std::string>& lines) {
    Run run;
    run.complete = lines.size() == events.size();
    std::vector<double> errors;
    std::uint64_t firstReceived = 0;
    for (std::size_t i = 0; i < std::min(lines.size(), events.size()); ++i) {
        const std::size_t cut = lines[i].find_last_of(' ');
        const std::uint64_t received = std::stoull(lines[i].substr(cut + 1));
        const std::string logged = lines[i].substr(0, cut);
        if (logged != events[i].logged) {
            run.complete = false;
            if (logged.starts_with("button ") && events[i].logged.starts_with("button ")) {
                double x = 0, y = 0;
                std::sscanf(logged.c_str() + 13, "%lf %lf", &x, &y);
                run.maxPositionPx =
                    std::max(run.maxPositionPx, std::hypot(x - events[i].input.x, y - events[i].input.y));
            }
        }
        if (i == 0) firstReceived = received;
        const double late =
            (static_cast<double>(received - firstReceived) - static_cast<double>(events[i].at - events[0].at)) / 1e6;
        errors.push_back(std::abs(late));
    }
    std::sort(errors.begin(), errors.end());
    if (!errors.empty()) {
        run.p95Ms = errors[std::min(errors.size() - 1, errors.size() * 95 / 100)];
        run.maxMs = errors.back();
    }
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void WaylandReplayFidelity(benchmark::State& state) {
    testing::HeadlessSway sway;
    if (!sway.problem().empty()) {
        state.SkipWithError(sway.problem().c_str());
        return;
    }
    const auto log = sway.folder() / "client.log";
    ChildProcess::Options clientOptions;
    clientOptions.environment = sway.clientEnvironment();
    clientOptions.standardOutput = log;
    ChildProcess client(sway.asUser({sway.copyForUser(BREVANOR_WAYLAND_LOGGING_CLIENT).string(), "--times"}),
                        clientOptions);
    const auto timedLines = [&] {
        std::vector<std::string> lines;
        std::ifstream file(log);
        for (std::string line; std::getline(file, line);) {
            if (line.starts_with("button ") || line.starts_with("key ")) lines.push_back(line);
        }
        return lines;
    };
    for (int i = 0; i < 100 && std::ifstream(log).peek() == std::ifstream::traits_type::eof(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    const std::vector<Scheduled> events = schedule();
    const auto file = sway.folder() / "timing.macro";
    std::ofstream(file) << document(events);
    WaylandInputInjector bare((sway.folder() / "runtime" / "wayland-1").string());
    // Connected before any player, as a desktop's own keyboard is: on a headless
    // sway whose only keyboard was a player's that went away, a virtual keyboard
    // made afterwards gets no input through to the client.
    bare.post(SyntheticInput{.type = SyntheticInput::Type::mouseMoved, .x = 640, .y = 360});

    std::vector<Run> cli, baseline;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            std::size_t before = timedLines().size();
            ChildProcess::Options options;
            options.environment = sway.clientEnvironment();
            options.environment.emplace_back("XDG_DATA_HOME", (sway.folder() / "data").string());
            options.environment.emplace_back("XDG_CONFIG_HOME", (sway.folder() / "config").string());
            ChildProcess player({BREVANOR_CLI_PROGRAM, "play", file.string(), "--yes"}, options);
            player.waitFor(std::chrono::seconds(60));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            auto lines = timedLines();
            cli.push_back(judge(events, {lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()}));

            before = lines.size();
            const std::uint64_t start = MonotonicClock::now() + 100 * kMs;
            for (const Scheduled& event : events) {
                const std::uint64_t due = start + event.at;
                const timespec deadline{static_cast<time_t>(due / 1'000'000'000),
                                        static_cast<long>(due % 1'000'000'000)};
                while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
                }
                bare.post(event.input);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            lines = timedLines();
            baseline.push_back(judge(events, {lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()}));
            std::fprintf(stderr, "run %d: cli p95 %.3f max %.3f %s | bare p95 %.3f max %.3f %s\n", run,
                         cli.back().p95Ms, cli.back().maxMs, cli.back().complete ? "complete" : "INCOMPLETE",
                         baseline.back().p95Ms, baseline.back().maxMs,
                         baseline.back().complete ? "complete" : "INCOMPLETE");
        }
    }
    const auto report = [&](const std::string& prefix, const std::vector<Run>& runs) {
        std::vector<double> p95, max;
        double worst = 0, position = 0, complete = 0;
        for (const Run& run : runs) {
            p95.push_back(run.p95Ms);
            max.push_back(run.maxMs);
            worst = std::max(worst, run.maxMs);
            position = std::max(position, run.maxPositionPx);
            complete += run.complete ? 1 : 0;
        }
        state.counters[prefix + "p95_median_ms"] = median(p95);
        state.counters[prefix + "max_median_ms"] = median(max);
        state.counters[prefix + "max_ms"] = worst;
        state.counters[prefix + "runs_complete"] = complete;
        state.counters[prefix + "max_pos_px"] = position;
        return median(p95);
    };
    const double cliP95 = report("cli_", cli);
    const double bareP95 = report("bare_", baseline);
    state.counters["p95_median_ratio"] = bareP95 > 0 ? cliP95 / bareP95 : 0;
    client.terminate();
}
BENCHMARK(WaylandReplayFidelity)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
