#pragma once

#include <cstdint>

#include "core/playback/PlaybackAction.h"

namespace brevanor {

// An action and when it is due, in nanoseconds from the start of one run.
struct ScheduledAction {
    std::uint64_t offsetNanos = 0;
    PlaybackAction action;

    friend bool operator==(const ScheduledAction&, const ScheduledAction&) = default;
};

// A long recording schedules millions of actions, held for the whole playback.
static_assert(sizeof(ScheduledAction) <= 40, "keep scheduled actions small");

}  // namespace brevanor
