#include "platform/x11/X11ServerClock.h"

#include <algorithm>

namespace brevanor {

namespace {

constexpr std::int64_t kMillisecond = 1'000'000;

}  // namespace

std::uint64_t X11ServerClock::monotonicNanos(unsigned long serverMillis, std::uint64_t receivedAtNanos) {
    serverMillis &= 0xFFFFFFFFUL;
    if (serverMillis < lastServerMillis_ && lastServerMillis_ - serverMillis > 0x80000000UL) ++wraps_;
    lastServerMillis_ = serverMillis;
    const auto serverNanos = static_cast<std::int64_t>(((wraps_ << 32) + serverMillis) * kMillisecond);

    const std::int64_t delay = static_cast<std::int64_t>(receivedAtNanos) - serverNanos;
    if (!offsetNanos_ || delay < *offsetNanos_ || delay - *offsetNanos_ > kStaleNanos) offsetNanos_ = delay;
    const std::int64_t millisecondStart = serverNanos + *offsetNanos_;
    const std::int64_t estimate = delay - *offsetNanos_ < kMillisecond ? static_cast<std::int64_t>(receivedAtNanos)
                                                                       : millisecondStart + kMillisecond / 2;

    const auto timestamp =
        std::clamp(static_cast<std::uint64_t>(estimate), lastTimestamp_, std::max(lastTimestamp_, receivedAtNanos));
    lastTimestamp_ = timestamp;
    return timestamp;
}

}  // namespace brevanor
