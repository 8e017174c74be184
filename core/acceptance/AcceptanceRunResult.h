#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brevanor {

// How one replay run compared with the reference.
struct AcceptanceRunResult {
    std::int64_t run = 0;            // from 1
    std::int64_t expectedCount = 0;  // comparable events of the reference
    std::int64_t actualCount = 0;    // comparable events of the run
    double maxPositionError = 0;     // points
    double timingP95Ms = 0;
    double timingMaxMs = 0;
    std::vector<std::string> failures;

    bool passed() const { return failures.empty(); }

    friend bool operator==(const AcceptanceRunResult&, const AcceptanceRunResult&) = default;
};

}  // namespace brevanor
