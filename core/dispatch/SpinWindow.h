#pragma once

#include <cstdint>

namespace brevanor {

// How long before a precise deadline a queue's thread ends its sleep, to spin the
// rest of the way. Sleeps end late by an amount that depends on the machine: tens
// of microseconds when it is idle, milliseconds on a loaded virtual machine. The
// window follows the 99th percentile of the lateness seen so far, within bounds,
// so that nearly every wake-up comes before its deadline while a quiet machine
// spins little.
class SpinWindow {
public:
    static constexpr std::uint64_t minNanos = 100'000;
    static constexpr std::uint64_t maxNanos = 1'000'000;
    static constexpr std::uint64_t initialNanos = 200'000;

    std::uint64_t nanos() const { return static_cast<std::uint64_t>(nanos_); }
    // A sleep that was to end at some time ended `lateByNanos` after it.
    void noteWakeUp(std::uint64_t lateByNanos);

private:
    double nanos_ = initialNanos;
};

}  // namespace brevanor
