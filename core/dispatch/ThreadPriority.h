#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brevanor {

// The scheduling a thread got when it asked for more than the normal share:
// real-time, a raised nice level, or neither; granted by the system at once or
// through RealtimeKit, the service through which desktop programs of ordinary
// users get real-time scheduling.
struct ThreadPriority {
    enum class Kind { normal, raisedNice, realtime };

    Kind kind = Kind::normal;
    int level = 0;  // the real-time priority, or the nice level (negative is higher)
    bool throughRealtimeKit = false;
    // A real-time thread that runs this long without sleeping is ended by the system
    // (RLIMIT_RTTIME, which RealtimeKit requires); absent when there is no such limit.
    std::optional<std::uint64_t> longestRunNanos;
    // Why a higher priority was not had, when that is why the thread got less; empty otherwise.
    std::string refusal;

    friend bool operator==(const ThreadPriority&, const ThreadPriority&) = default;

    // The lowest real-time priority, asked for first: it already runs before every
    // normal thread, so a woken thread preempts whatever runs instead of waiting for
    // its time slice to end, and it stays below audio and the system's own threads.
    static constexpr int realtimePriority = 1;
    // The nice level asked for where real-time scheduling is refused.
    static constexpr int raisedNiceLevel = -10;

    // Raises the calling thread as far as the system lets this process: real-time,
    // else real-time through RealtimeKit, else a raised nice level (itself, then
    // through RealtimeKit), else nothing. Never fails; blocks for at most a second
    // while RealtimeKit answers.
    static ThreadPriority raiseCurrentThread();

    // One line for people, e.g. "real-time (priority 1, through RealtimeKit)".
    std::string description() const;
};

}  // namespace brevanor
