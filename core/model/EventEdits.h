#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/model/Recording.h"

namespace brevanor {

// The edits of a recording's events. Each keeps the recorded events beside the
// edited ones on its first change (Recording::recordedEvents), so that revert()
// brings them back, keeps the events in time order, and follows the pairing
// rules of EventPairing: a press is deleted with its repeats and its release, a
// release with its press, so no edit leaves a key or button held. The trim is
// cut down to what the edited events allow. Every edit checks its arguments
// first and throws EventEditError, changing nothing, when it cannot be made.
// Indices are those of `Recording::events`, from 0; ranges include both ends.
namespace EventEdits {

// A pause shorter than this is no pause: the recorder makes no idle gap of it, and neither do the edits.
inline constexpr std::uint64_t idleGapThresholdNanos = 50'000'000;

// The quiet time before the event at `index`: from the end of the previous event that is not an idle
// gap (the start of the recording when there is none) to its own time; 0 when they overlap. For an
// idle gap, the pause it stands in: the gap of the next event that is not one (or of the end).
std::uint64_t gapBefore(const std::vector<RecordingEvent>& events, std::size_t index);

// `indices` with every event that goes with them (see EventPairing), sorted, without repeats.
std::vector<std::size_t> withPartners(const std::vector<RecordingEvent>& events, std::vector<std::size_t> indices);

// Deletes the events and their partners; the other events keep their times. Answers how many went.
std::size_t deleteEvents(Recording& recording, const std::vector<std::size_t>& indices);
// Deletes first..last with their partners (deleteEvents).
std::size_t deleteRange(Recording& recording, std::size_t first, std::size_t last);
// Deletes first..last with their partners and the time they took: the events after them come earlier.
std::size_t cutRange(Recording& recording, std::size_t first, std::size_t last);
// Makes the pause before the event at `index` (gapBefore) last `nanos`; the later events move with it.
void setGap(Recording& recording, std::size_t index, std::uint64_t nanos);
// Plays first..last `factor` times as fast (2: twice as fast, 0.5: half as fast), the time up to the
// next event included; the later events move with the range's new end. `factor` from 0.01 to 100.
void speedRange(Recording& recording, std::size_t first, std::size_t last, double factor);
// Shortens every pause between first and last to at most `maxNanos`.
void capPauses(Recording& recording, std::size_t first, std::size_t last, std::uint64_t maxNanos);
// Puts the button press or release at `index` at (x, y), with its partner and a drag's path between
// them moved by as much.
void moveClick(Recording& recording, std::size_t index, double x, double y);
// Adds `nanos` of waiting after the event at `index`.
void insertWaitAfter(Recording& recording, std::size_t index, std::uint64_t nanos);
// Makes every mouse path between first and last a straight line from its first to its last point,
// at an even speed, keeping its points' times and so its duration.
void straightenPaths(Recording& recording, std::size_t first, std::size_t last);
// Brings back the recorded events (nothing happens to a recording never edited).
void revert(Recording& recording);

// The events first..last as a recording of their own, starting at 0, to play a part of one: the
// modifiers held at `first` are pressed first, releases of what was pressed before `first` are left
// out, and whatever the part leaves held is released at its end.
std::vector<RecordingEvent> excerpt(const std::vector<RecordingEvent>& events, std::size_t first, std::size_t last);

// Throws EventEditError (leavesHeld, outOfTimeOrder) when `edited` leaves a key or button held that
// `recorded` does not, or is out of time order: the check before an edited recording is saved.
void check(const std::vector<RecordingEvent>& recorded, const std::vector<RecordingEvent>& edited);

}  // namespace EventEdits

}  // namespace brevanor
