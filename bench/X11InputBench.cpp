// Latency and cost of X11 listening and posting, in a private Xvfb:
// - an outside XTest event to the consumer (through the delivery queue, as the recorder receives it);
// - the injector's post to the outside harness logger seeing the event;
// - the listener thread's CPU time while the pointer moves 1,000 times a second.
// Latencies are reported as p50/p99 counters in microseconds.

#include <benchmark/benchmark.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "base/time/MonotonicClock.h"
#include "core/dispatch/SerialQueue.h"
#include "platform/x11/X11InputInjector.h"
#include "platform/x11/X11InputSource.h"
#include "tests/x11/XvfbSession.h"

namespace {

using namespace brevanor;

testing::XvfbSession& session() {
    static testing::XvfbSession instance;
    return instance;
}

void reportPercentiles(benchmark::State& state, std::vector<double> micros) {
    if (micros.empty()) return;
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    state.counters["max_us"] = micros.back();
}

// Hands each converted event through a serial delivery queue, as the input tap does, and notes when it got there.
struct Consumer {
    SerialQueue delivery{"com.brevanor.input-tap.delivery"};
    std::mutex mutex;
    std::condition_variable arrived;
    std::uint64_t count = 0;
    std::uint64_t lastAt = 0;

    InputSource::Sink sink() {
        return [this](const TapEvent&) {
            delivery.async([this] {
                std::lock_guard lock(mutex);
                ++count;
                lastAt = MonotonicClock::now();
                arrived.notify_all();
            });
        };
    }
    std::uint64_t waitFor(std::uint64_t n) {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, std::chrono::seconds(5), [&] { return count >= n; });
        return lastAt;
    }
};

void BM_OutsideEventToConsumer(benchmark::State& state) {
    if (!session().isRunning()) return state.SkipWithError(session().failure().c_str());
    Consumer consumer;
    X11InputSource source(session().displayName(), std::make_shared<X11SyntheticJournal>());
    if (!source.start(consumer.sink())) return state.SkipWithError("cannot listen");
    Display* outside = XOpenDisplay(session().displayName().c_str());
    std::vector<double> micros;
    std::uint64_t expected = 0;
    bool press = true;
    for (auto _ : state) {
        const std::uint64_t sentAt = MonotonicClock::now();
        XTestFakeKeyEvent(outside, 38, press, CurrentTime);
        XFlush(outside);
        const std::uint64_t arrivedAt = consumer.waitFor(++expected);
        micros.push_back(static_cast<double>(arrivedAt - sentAt) / 1000.0);
        press = !press;
    }
    if (!press) XTestFakeKeyEvent(outside, 38, False, CurrentTime);
    XCloseDisplay(outside);
    source.stop();
    reportPercentiles(state, micros);
}
BENCHMARK(BM_OutsideEventToConsumer)->Iterations(2000)->UseRealTime();

// The harness logger as an outside process, writing to a file the benchmark reads.
class LoggerProcess {
public:
    explicit LoggerProcess(const std::string& path) : path_(path) {
        std::remove(path.c_str());
        std::string program = BREVANOR_HARNESS_LOGGER, display = session().displayName();
        std::string displayFlag = "--display", outputFlag = "--output", output = path;
        char* argv[] = {program.data(), displayFlag.data(), display.data(), outputFlag.data(), output.data(), nullptr};
        posix_spawn(&pid_, argv[0], nullptr, nullptr, argv, environ);
        struct stat info {};
        for (int i = 0; i < 1000 && stat(path.c_str(), &info) != 0; ++i) usleep(5000);
        file_.open(path);
    }
    ~LoggerProcess() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        std::remove(path_.c_str());
    }
    // The t of the next logged line.
    std::uint64_t nextTime() {
        std::string line;
        for (int i = 0; i < 50000; ++i) {
            if (std::getline(file_, line)) {
                const auto at = line.find("\"t\":");
                return std::stoull(line.substr(at + 4));
            }
            file_.clear();
            usleep(50);
        }
        return 0;
    }

private:
    std::string path_;
    pid_t pid_ = -1;
    std::ifstream file_;
};

void BM_PerformToOutsideLogger(benchmark::State& state) {
    if (!session().isRunning()) return state.SkipWithError(session().failure().c_str());
    LoggerProcess logger("/tmp/brevanor-x11-bench-" + std::to_string(getpid()) + ".jsonl");
    X11InputInjector injector(session().displayName(), std::make_shared<X11SyntheticJournal>());
    std::vector<double> micros;
    bool press = true;
    for (auto _ : state) {
        SyntheticInput input{.type = press ? SyntheticInput::Type::keyDown : SyntheticInput::Type::keyUp, .keyCode = 0};
        const std::uint64_t postedAt = MonotonicClock::now();
        injector.post(input);
        const std::uint64_t loggedAt = logger.nextTime();
        micros.push_back(static_cast<double>(static_cast<std::int64_t>(loggedAt - postedAt)) / 1000.0);
        press = !press;
    }
    reportPercentiles(state, micros);
}
BENCHMARK(BM_PerformToOutsideLogger)->Iterations(1000)->UseRealTime();

std::uint64_t cpuNanos(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ULL + static_cast<std::uint64_t>(ts.tv_nsec);
}

void BM_ListenerCpuAt1000MovesPerSecond(benchmark::State& state) {
    if (!session().isRunning()) return state.SkipWithError(session().failure().c_str());
    // The first event names the listener thread, whose CPU clock is read at the first event and
    // once more at the end, so that the measurement adds nothing to each event but the count.
    std::atomic<std::uint64_t> events = 0, firstCpu = 0, firstAt = 0, lastAt = 0;
    std::atomic<clockid_t> listenerClock = CLOCK_THREAD_CPUTIME_ID;
    X11InputSource source(session().displayName(), std::make_shared<X11SyntheticJournal>());
    source.start([&](const TapEvent&) {
        if (events++ == 0) {
            clockid_t clock{};
            pthread_getcpuclockid(pthread_self(), &clock);
            listenerClock = clock;
            firstCpu = cpuNanos(clock);
            firstAt = MonotonicClock::now();
        }
        lastAt = MonotonicClock::now();
    });
    Display* outside = XOpenDisplay(session().displayName().c_str());
    for (auto _ : state) {
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        for (int i = 0; i < 3000; ++i) {  // three seconds at 1,000 moves a second
            XTestFakeRelativeMotionEvent(outside, (i % 2) ? 3 : -3, (i % 4 < 2) ? 2 : -2, CurrentTime);
            XFlush(outside);
            next.tv_nsec += 1'000'000;
            if (next.tv_nsec >= 1'000'000'000) {
                next.tv_nsec -= 1'000'000'000;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
        XSync(outside, False);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::uint64_t lastCpu = events > 0 ? cpuNanos(listenerClock) : 0;
    source.stop();
    XCloseDisplay(outside);
    const double wallNanos = static_cast<double>(lastAt - firstAt);
    state.counters["events"] = static_cast<double>(events);
    state.counters["listener_cpu_percent"] =
        wallNanos > 0 ? 100.0 * static_cast<double>(lastCpu - firstCpu) / wallNanos : 0;
}
BENCHMARK(BM_ListenerCpuAt1000MovesPerSecond)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
