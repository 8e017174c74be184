#include "cli/StallExcuse.h"

#include <algorithm>
#include <cstdint>

#include "core/acceptance/AcceptanceComparator.h"
#include "core/acceptance/FixedDecimals.h"

namespace brevanor::StallExcuse {

namespace {

// The logger's times come from the X server's millisecond clock.
constexpr std::int64_t kClockSlackNanos = 1'000'000;

// Whether the run failed by its timing alone: each of its failures is one of the two timing limits.
bool failedOnlyInTiming(const AcceptanceRunResult& result) {
    const std::size_t timingFailures = (result.timingP95Ms > AcceptanceComparator::p95ToleranceMs ? 1 : 0) +
                                       (result.timingMaxMs > AcceptanceComparator::maxToleranceMs ? 1 : 0);
    return timingFailures > 0 && timingFailures == result.failures.size();
}

std::int64_t since(std::uint64_t first, std::uint64_t t) {
    return static_cast<std::int64_t>(t) - static_cast<std::int64_t>(first);
}

// How much of [due, arrived], widened by the logger clock's step, the witnessed stalls cover.
std::int64_t stalledWithin(std::int64_t due, std::int64_t arrived, const std::vector<StallWitness::Stall>& stalls) {
    const auto from = static_cast<std::uint64_t>(std::max<std::int64_t>(0, due - kClockSlackNanos));
    return static_cast<std::int64_t>(
        StallWitness::coveredNanos(stalls, from, static_cast<std::uint64_t>(arrived + kClockSlackNanos)));
}

}  // namespace

std::optional<std::string> forRun(const std::vector<HarnessLogEntry>& reference,
                                  const std::vector<HarnessLogEntry>& run, const AcceptanceRunResult& result,
                                  const std::vector<StallWitness::Stall>& stalls) {
    if (result.passed() || reference.empty() || run.size() != reference.size()) return std::nullopt;
    if (!failedOnlyInTiming(result)) return std::nullopt;

    std::vector<std::int64_t> drifts;
    drifts.reserve(run.size());
    for (std::size_t i = 0; i < run.size(); ++i) {
        drifts.push_back(since(run.front().t, run[i].t) - since(reference.front().t, reference[i].t));
    }
    std::vector<std::int64_t> sorted = drifts;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const std::int64_t usual = *middle;

    // An event is excused when the machine stood still for at least half of its delay: the
    // rest is the catching up of the programs the stall held (the player, the server).
    int lateEvents = 0;
    std::int64_t latest = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const std::int64_t late = drifts[i] - usual;
        if (std::abs(late) <= static_cast<std::int64_t>(StallWitness::noticeableNanos)) continue;
        const auto arrived = static_cast<std::int64_t>(run[i].t);
        // Early, or late while the machine ran: the replay's own doing.
        if (late < 0 || 2 * stalledWithin(arrived - late, arrived, stalls) < late) return std::nullopt;
        ++lateEvents;
        latest = std::max(latest, late);
    }
    if (lateEvents == 0) return std::nullopt;
    return std::to_string(lateEvents) + (lateEvents == 1 ? " event came " : " events came up to ") +
           fixedDecimals(static_cast<double>(latest) / 1e6, 1) + " ms late, " +
           (lateEvents == 1 ? "the machine" : "the machine each time") + " standing still for at least half of it";
}

}  // namespace brevanor::StallExcuse
