#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/acceptance/AcceptanceReport.h"
#include "core/acceptance/HarnessLogEntry.h"

namespace brevanor {

// Judges how faithfully replays reproduced a task: the user's own events of a
// reference log against the synthetic events of each replay run, pair by
// pair, for the same kinds in the same order, pointer positions and timing
// relative to each run's first event. Only button, key, modifier and scroll
// events are compared; positions only of button and scroll events.
namespace AcceptanceComparator {

inline constexpr double positionTolerance = 1.0;  // points
inline constexpr double p95ToleranceMs = 5.0;
inline constexpr double maxToleranceMs = 15.0;

// The entries of a harness log in file order; throws HarnessLogError naming
// the first line that cannot be read.
std::vector<HarnessLogEntry> parse(std::string_view bytes);
// The user's own comparable events.
std::vector<HarnessLogEntry> referenceEvents(const std::vector<HarnessLogEntry>& entries);
// The replayed (synthetic) comparable events.
std::vector<HarnessLogEntry> replayEvents(const std::vector<HarnessLogEntry>& entries);
// The replay events cut into runs of `expectedCount` each, the last one
// holding the rest; one run of all when the count is below 1, none without events.
std::vector<std::vector<HarnessLogEntry>> splitRuns(const std::vector<HarnessLogEntry>& entries,
                                                    std::int64_t expectedCount);
AcceptanceReport compare(const std::vector<HarnessLogEntry>& original,
                         const std::vector<std::vector<HarnessLogEntry>>& replays);
// The whole judgement of two logs' entries: the replay's events cut into runs
// of `expectedCount` (the reference's count of comparable events when absent)
// and each compared with the reference, as splitRuns() and compare() would,
// without copying a single entry.
AcceptanceReport compareLogs(const std::vector<HarnessLogEntry>& reference, const std::vector<HarnessLogEntry>& replay,
                             std::optional<std::int64_t> expectedCount);

}  // namespace AcceptanceComparator

}  // namespace brevanor
