// Judging a long acceptance session: a reference log of 100,000 comparable
// events against a replay log of 10 runs, parsed, split into runs and compared.
#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <string>

#include "core/acceptance/AcceptanceComparator.h"

namespace brevanor {
namespace {

constexpr std::int64_t kEventsPerRun = 100'000;
constexpr int kRuns = 10;

// Clicks, scrolls and key strokes in turn every 5 ms; the replays carry a
// little jitter so the comparison has real work to do.
std::vector<HarnessLogEntry> session(bool synthetic, int runs) {
    static const char* const kTypes[] = {"mouseDown", "mouseUp", "scroll", "keyDown", "keyUp", "flagsChanged"};
    std::vector<HarnessLogEntry> entries;
    entries.reserve(static_cast<std::size_t>(kEventsPerRun * runs));
    std::uint64_t t = 1'000'000'000;
    for (int run = 0; run < runs; ++run) {
        for (std::int64_t i = 0; i < kEventsPerRun; ++i) {
            HarnessLogEntry entry;
            entry.type = kTypes[i % 6];
            entry.t = t + static_cast<std::uint64_t>(synthetic ? (i * 7919) % 3'000'000 : 0);
            entry.x = static_cast<double>(i % 1920) + (synthetic ? 0.25 : 0);
            entry.y = static_cast<double>(i % 1080);
            if (i % 6 < 2) {
                entry.button = "left";
                entry.clickCount = 1;
            }
            if (i % 6 >= 3) entry.keyCode = static_cast<std::uint16_t>(i % 50);
            entry.synthetic = synthetic;
            entries.push_back(entry);
            t += 5'000'000;
        }
        t += 2'000'000'000;
    }
    return entries;
}

const std::string& referenceLog() {
    static const std::string log = HarnessLogEntry::jsonLines(session(false, 1));
    return log;
}

const std::string& replayLog() {
    static const std::string log = HarnessLogEntry::jsonLines(session(true, kRuns));
    return log;
}

// The whole judgement, from the two logs' bytes to the report.
void BM_ParseAndCompare(benchmark::State& state) {
    // Writing the logs is not part of the judgement.
    referenceLog();
    replayLog();
    for (auto _ : state) {
        const auto reference = AcceptanceComparator::parse(referenceLog());
        const auto replay = AcceptanceComparator::parse(replayLog());
        benchmark::DoNotOptimize(AcceptanceComparator::compareLogs(reference, replay, kEventsPerRun).runs.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(referenceLog().size() + replayLog().size()));
}
BENCHMARK(BM_ParseAndCompare)->Unit(benchmark::kMillisecond);

void BM_ParseReplayLog(benchmark::State& state) {
    replayLog();
    for (auto _ : state) benchmark::DoNotOptimize(AcceptanceComparator::parse(replayLog()).data());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(replayLog().size()));
}
BENCHMARK(BM_ParseReplayLog)->Unit(benchmark::kMillisecond);

// Baselines on the same bytes: finding the lines, and the JSON parser alone
// reading each line into its own tree (no checks, no entries).
void BM_FindLines(benchmark::State& state) {
    const std::string_view log = replayLog();
    for (auto _ : state) {
        std::size_t lines = 0;
        for (std::size_t start = 0; start < log.size(); ++lines) {
            const std::size_t end = log.find('\n', start);
            start = end == std::string_view::npos ? log.size() : end + 1;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(replayLog().size()));
}
BENCHMARK(BM_FindLines)->Unit(benchmark::kMillisecond);

void BM_SimdjsonLines(benchmark::State& state) {
    const std::string_view log = replayLog();
    simdjson::dom::parser parser;
    std::string line;
    line.reserve(4096);  // room for the parser's padding: it then reads each line where it stands
    for (auto _ : state) {
        std::size_t objects = 0;
        for (std::size_t start = 0; start < log.size();) {
            std::size_t end = log.find('\n', start);
            if (end == std::string_view::npos) end = log.size();
            line.assign(log.substr(start, end - start));
            simdjson::dom::element element;
            if (parser.parse(line).get(element) == simdjson::SUCCESS && element.is_object()) ++objects;
            start = end + 1;
        }
        benchmark::DoNotOptimize(objects);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(replayLog().size()));
}
BENCHMARK(BM_SimdjsonLines)->Unit(benchmark::kMillisecond);

void BM_SplitRuns(benchmark::State& state) {
    const auto replay = session(true, kRuns);
    for (auto _ : state) benchmark::DoNotOptimize(AcceptanceComparator::splitRuns(replay, kEventsPerRun).data());
}
BENCHMARK(BM_SplitRuns)->Unit(benchmark::kMillisecond);

void BM_Compare(benchmark::State& state) {
    const auto reference = session(false, 1);
    const auto runs = AcceptanceComparator::splitRuns(session(true, kRuns), kEventsPerRun);
    for (auto _ : state) benchmark::DoNotOptimize(AcceptanceComparator::compare(reference, runs).runs.data());
}
BENCHMARK(BM_Compare)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brevanor
