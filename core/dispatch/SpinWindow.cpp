#include "core/dispatch/SpinWindow.h"

#include <algorithm>

namespace brevanor {

namespace {

// A stochastic quantile estimate: a late wake-up widens the window by this share, an
// early one narrows it by a 99th of it, so the window settles where 1 % of the
// wake-ups are later than it. Large steps follow a machine that gets busy within
// tens of wake-ups; narrowing takes thousands.
constexpr double kWidenShare = 0.1;
constexpr double kNarrowShare = kWidenShare / 99;

}  // namespace

void SpinWindow::noteWakeUp(std::uint64_t lateByNanos) {
    if (static_cast<double>(lateByNanos) > nanos_) {
        nanos_ *= 1 + kWidenShare;
    } else {
        nanos_ *= 1 - kNarrowShare;
    }
    nanos_ = std::clamp(nanos_, static_cast<double>(minNanos), static_cast<double>(maxNanos));
}

}  // namespace brevanor
