#pragma once

#include <cstdint>
#include <string>

namespace brevanor {

// How faithfully one replay came out, as the display server reported its events back.
struct FidelityReport {
    std::int64_t expected = 0;  // presses, releases, keys and scroll notches posted
    std::int64_t observed = 0;  // of those, the ones that came back
    double timingP95Ms = 0;     // timing errors against the schedule, from each run's first event
    double timingMaxMs = 0;
    double pointerErrorPx = 0;  // the largest distance of a click or scroll from where it was posted
    // Where lateness came from, against each event's own deadline rather than its run's first event: the most
    // Brevanor finished posting an event after its deadline, and the most one came back after it.
    double postedLateMaxMs = 0;
    double arrivedLateMaxMs = 0;

    // "Fidelity: 197/197 events, timing p95 0.42 ms, max 1.10 ms, pointer 0 px"
    std::string sentence() const;
    // The same without "Fidelity: ", for a line that names it otherwise.
    std::string summary() const;

    friend bool operator==(const FidelityReport&, const FidelityReport&) = default;
};

}  // namespace brevanor
