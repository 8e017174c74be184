#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/StallWitness.h"
#include "core/acceptance/AcceptanceRunResult.h"
#include "core/acceptance/HarnessLogEntry.h"

namespace brevanor::StallExcuse {

// Why a failed replay run tells nothing about the replay, if it does not: every failure of
// `result` is one of timing, and for every event of `run` that came late the witness saw the
// machine stand still for at least half of the delay. `reference` and `run` are the
// comparable events the comparator paired, in order. Lateness is taken against the run's
// median offset from the reference, so that a late first event (against which the
// comparator measures) shows as the one late event it was. Answers e.g. "3 events came up to
// 14.3 ms late, the machine each time standing still for at least half of it"; nothing when
// a late event is not so explained.
std::optional<std::string> forRun(const std::vector<HarnessLogEntry>& reference,
                                  const std::vector<HarnessLogEntry>& run, const AcceptanceRunResult& result,
                                  const std::vector<StallWitness::Stall>& stalls);

}  // namespace brevanor::StallExcuse
