#include "cli/StallExcuse.h"

#include <algorithm>
#include <cstdint>

#include "core/acceptance/FixedDecimals.h"

namespace brevanor::StallExcuse {

namespace {

// The logger's times come from the X server's millisecond clock.
constexpr std::int64_t kClockSlackNanos = 1'000'000;

bool isTimingFailure(const std::string& failure) {
    return failure.starts_with("p95 timing error") || failure.starts_with("max timing error");
}

std::int64_t since(std::uint64_t first, std::uint64_t t) {
    return static_cast<std::int64_t>(t) - static_cast<std::int64_t>(first);
}

// The longest stall that overlaps [arrived - late, arrived] and is long enough to have made the event that late.
std::optional<std::uint64_t> stallBehind(std::uint64_t arrived, std::int64_t late,
                                         const std::vector<StallWitness::Stall>& stalls) {
    std::optional<std::uint64_t> longest;
    const auto due = static_cast<std::int64_t>(arrived) - late;
    for (const StallWitness::Stall& stall : stalls) {
        const bool overlaps =
            static_cast<std::int64_t>(stall.from) <= static_cast<std::int64_t>(arrived) + kClockSlackNanos &&
            static_cast<std::int64_t>(stall.until) + kClockSlackNanos >= due;
        if (overlaps && 2 * static_cast<std::int64_t>(stall.length()) >= late) {
            longest = std::max(longest.value_or(0), stall.length());
        }
    }
    return longest;
}

}  // namespace

std::optional<std::string> forRun(const std::vector<HarnessLogEntry>& reference,
                                  const std::vector<HarnessLogEntry>& run, const AcceptanceRunResult& result,
                                  const std::vector<StallWitness::Stall>& stalls) {
    if (result.passed() || reference.empty() || run.size() != reference.size()) return std::nullopt;
    if (!std::all_of(result.failures.begin(), result.failures.end(), isTimingFailure)) return std::nullopt;

    std::vector<std::int64_t> drifts;
    drifts.reserve(run.size());
    for (std::size_t i = 0; i < run.size(); ++i) {
        drifts.push_back(since(run.front().t, run[i].t) - since(reference.front().t, reference[i].t));
    }
    std::vector<std::int64_t> sorted = drifts;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const std::int64_t usual = *middle;

    int lateEvents = 0;
    std::int64_t latest = 0;
    std::uint64_t longestStall = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const std::int64_t late = drifts[i] - usual;
        if (std::abs(late) <= static_cast<std::int64_t>(StallWitness::noticeableNanos)) continue;
        const auto stall = late > 0 ? stallBehind(run[i].t, late, stalls) : std::nullopt;
        if (!stall) return std::nullopt;  // early, or late with the machine running: the replay's own doing
        ++lateEvents;
        latest = std::max(latest, late);
        longestStall = std::max(longestStall, *stall);
    }
    if (lateEvents == 0) return std::nullopt;
    return std::to_string(lateEvents) + (lateEvents == 1 ? " event came " : " events came up to ") +
           fixedDecimals(static_cast<double>(latest) / 1e6, 1) + " ms late, " +
           (lateEvents == 1 ? "while" : "each while") + " the machine itself stood still (a stall of up to " +
           fixedDecimals(static_cast<double>(longestStall) / 1e6, 1) + " ms)";
}

}  // namespace brevanor::StallExcuse
