#pragma once

#include <cstdint>
#include <vector>

#include "core/model/Recording.h"
#include "core/playback/CursorTransform.h"
#include "core/playback/PlaybackOptions.h"
#include "core/playback/ScheduledAction.h"

namespace brevanor {

// Turns a recording into the timed actions of one run. Every decision about when
// something happens is taken here, once, before playback: the trim window, the
// speed, the extra delay before clicks, the settle move before each press, the
// least gaps between button and key events and the thinning of mouse paths.
namespace PlaybackTimeline {

// The cursor is moved onto a click's position this long before the button goes down.
inline constexpr std::uint64_t settleNanos = 2'000'000;
// Least time a button is held, and least time between two key or modifier events.
inline constexpr std::uint64_t minInputGapNanos = 8'000'000;
// Least time between two cursor waypoints of one mouse path.
inline constexpr std::uint64_t minWaypointGapNanos = 4'000'000;

// The actions of one run, in order; offsets never decrease along the list.
std::vector<ScheduledAction> build(const Recording& recording, const PlaybackOptions& options,
                                   const CursorTransform& transform);

// The length of one run: the offset of the last action, 0 for none.
std::uint64_t duration(const std::vector<ScheduledAction>& actions);

}  // namespace PlaybackTimeline

}  // namespace brevanor
