#include "core/acceptance/AcceptanceComparator.h"

#include <algorithm>
#include <cmath>

#include "core/acceptance/FixedDecimals.h"
#include "core/acceptance/HarnessLogReader.h"

namespace brevanor::AcceptanceComparator {

namespace {

bool isComparable(const std::string& type) {
    return type == "mouseDown" || type == "mouseUp" || type == "keyDown" || type == "keyUp" || type == "flagsChanged" ||
           type == "scroll";
}

bool isPositioned(const std::string& type) { return type == "mouseDown" || type == "mouseUp" || type == "scroll"; }

// Pointers, not copies: a run is only read while its entries are alive.
using Run = std::vector<const HarnessLogEntry*>;

Run comparable(const std::vector<HarnessLogEntry>& entries, bool synthetic) {
    Run picked;
    picked.reserve(entries.size());
    for (const HarnessLogEntry& entry : entries) {
        if (entry.synthetic == synthetic && isComparable(entry.type)) picked.push_back(&entry);
    }
    return picked;
}

std::vector<HarnessLogEntry> copies(const Run& entries) {
    std::vector<HarnessLogEntry> result;
    result.reserve(entries.size());
    for (const HarnessLogEntry* entry : entries) result.push_back(*entry);
    return result;
}

// Nanoseconds from `first` to `t`, negative when a log's clock went backwards.
double elapsedNanos(std::uint64_t first, std::uint64_t t) {
    return t >= first ? static_cast<double>(t - first) : -static_cast<double>(first - t);
}

AcceptanceRunResult compareRun(std::int64_t run, const Run& reference, const Run& replay) {
    AcceptanceRunResult result;
    result.run = run;
    result.expectedCount = static_cast<std::int64_t>(reference.size());
    result.actualCount = static_cast<std::int64_t>(replay.size());
    if (result.actualCount != result.expectedCount) {
        result.failures.push_back("event count " + std::to_string(result.actualCount) + " differs from reference " +
                                  std::to_string(result.expectedCount));
    }

    const std::size_t pairs = std::min(reference.size(), replay.size());
    std::vector<double> timingErrorsMs;
    timingErrorsMs.reserve(pairs);
    bool typeMismatchReported = false;
    for (std::size_t i = 0; i < pairs; ++i) {
        const HarnessLogEntry& r = *reference[i];
        const HarnessLogEntry& p = *replay[i];
        if (p.type != r.type && !typeMismatchReported) {
            result.failures.push_back("event " + std::to_string(i) + " is " + p.type + ", expected " + r.type);
            typeMismatchReported = true;
        }
        if (isPositioned(r.type)) {
            result.maxPositionError = std::max(result.maxPositionError, std::hypot(p.x - r.x, p.y - r.y));
        }
        const double drift = elapsedNanos(replay.front()->t, p.t) - elapsedNanos(reference.front()->t, r.t);
        timingErrorsMs.push_back(std::abs(drift) / 1'000'000.0);
    }

    if (!timingErrorsMs.empty()) {
        // The value at the p95 index of the sorted errors; a full sort is not needed for one rank.
        const auto n = static_cast<std::int64_t>(timingErrorsMs.size());
        const auto p95Index = std::max<std::int64_t>(0, static_cast<std::int64_t>(static_cast<double>(n) * 0.95) - 1);
        const auto p95 = timingErrorsMs.begin() + p95Index;
        std::nth_element(timingErrorsMs.begin(), p95, timingErrorsMs.end());
        result.timingP95Ms = *p95;
        result.timingMaxMs = *std::max_element(p95, timingErrorsMs.end());
    }

    if (result.maxPositionError > positionTolerance) {
        result.failures.push_back("position error " + fixedDecimals(result.maxPositionError, 2) + " px exceeds " +
                                  fixedDecimals(positionTolerance, 0) + " px");
    }
    if (result.timingP95Ms > p95ToleranceMs) {
        result.failures.push_back("p95 timing error " + fixedDecimals(result.timingP95Ms, 2) + " ms exceeds " +
                                  fixedDecimals(p95ToleranceMs, 0) + " ms");
    }
    if (result.timingMaxMs > maxToleranceMs) {
        result.failures.push_back("max timing error " + fixedDecimals(result.timingMaxMs, 2) + " ms exceeds " +
                                  fixedDecimals(maxToleranceMs, 0) + " ms");
    }
    if (reference.empty()) result.failures.push_back("reference log has no comparable events");
    return result;
}

// `events` cut into runs of `expectedCount`, the last one holding the rest;
// one run of all when the count is below 1, none without events.
std::vector<Run> cut(const Run& events, std::int64_t expectedCount) {
    std::vector<Run> runs;
    if (events.empty()) return runs;
    if (expectedCount < 1) return {events};
    const auto perRun = static_cast<std::uint64_t>(expectedCount);
    for (auto start = events.begin(); start != events.end();) {
        const auto count = static_cast<std::ptrdiff_t>(
            std::min<std::uint64_t>(perRun, static_cast<std::uint64_t>(events.end() - start)));
        runs.emplace_back(start, start + count);
        start += count;
    }
    return runs;
}

AcceptanceReport compareRuns(const Run& reference, const std::vector<Run>& replays) {
    AcceptanceReport report;
    report.runs.reserve(replays.size());
    for (std::size_t i = 0; i < replays.size(); ++i) {
        report.runs.push_back(compareRun(static_cast<std::int64_t>(i) + 1, reference, replays[i]));
    }
    return report;
}

}  // namespace

std::vector<HarnessLogEntry> parse(std::string_view bytes) { return HarnessLogReader().read(bytes); }

std::vector<HarnessLogEntry> referenceEvents(const std::vector<HarnessLogEntry>& entries) {
    return copies(comparable(entries, false));
}

std::vector<HarnessLogEntry> replayEvents(const std::vector<HarnessLogEntry>& entries) {
    return copies(comparable(entries, true));
}

std::vector<std::vector<HarnessLogEntry>> splitRuns(const std::vector<HarnessLogEntry>& entries,
                                                    std::int64_t expectedCount) {
    std::vector<std::vector<HarnessLogEntry>> runs;
    for (const Run& run : cut(comparable(entries, true), expectedCount)) runs.push_back(copies(run));
    return runs;
}

AcceptanceReport compare(const std::vector<HarnessLogEntry>& original,
                         const std::vector<std::vector<HarnessLogEntry>>& replays) {
    std::vector<Run> runs;
    runs.reserve(replays.size());
    for (const auto& replay : replays) runs.push_back(comparable(replay, true));
    return compareRuns(comparable(original, false), runs);
}

AcceptanceReport compareLogs(const std::vector<HarnessLogEntry>& reference, const std::vector<HarnessLogEntry>& replay,
                             std::optional<std::int64_t> expectedCount) {
    const Run referenceEvents = comparable(reference, false);
    const auto perRun = expectedCount.value_or(static_cast<std::int64_t>(referenceEvents.size()));
    return compareRuns(referenceEvents, cut(comparable(replay, true), perRun));
}

}  // namespace brevanor::AcceptanceComparator
