#pragma once

#include <cstdint>
#include <optional>

namespace brevanor {

// Places the X server's event times on the monotonic clock. Server times are
// whole milliseconds in 32 bits: an event stamped T happened somewhere in the
// millisecond [T, T + 1), and the counter wraps every 49.7 days. The offset
// between the two clocks is the smallest delay between an event's server time
// and its arrival seen so far (an event cannot arrive before it happened).
// Within its millisecond, an event that arrived before the millisecond was over
// is placed at its arrival, which is exact to the listener's latency; one that
// arrived later (the listener was behind) is placed in the middle of its
// millisecond. The result never goes backwards and never lies after arrival.
class X11ServerClock {
public:
    std::uint64_t monotonicNanos(unsigned long serverMillis, std::uint64_t receivedAtNanos);

    // A delay this much above the offset means the clocks moved apart (the
    // server's clock was stepped, say): the offset is measured anew.
    static constexpr std::int64_t kStaleNanos = 1'000'000'000;

private:
    std::optional<std::int64_t> offsetNanos_;
    unsigned long lastServerMillis_ = 0;
    std::uint64_t wraps_ = 0;
    std::uint64_t lastTimestamp_ = 0;
};

}  // namespace brevanor
