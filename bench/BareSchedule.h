#pragma once

#include <filesystem>
#include <vector>

#include "core/acceptance/HarnessLogEntry.h"
#include "core/model/Recording.h"

namespace brevanor {

// Writes the XTest requests of one replay of `recording` (as recorded, speed
// 1, positions unchanged) in the schedule format brevanor-bare-injector reads,
// so that the baseline replays exactly the requests Brevanor sends, at the
// offsets Brevanor's timeline gives them. Answers the events an outside
// logger logs of those requests, each at its offset: a replay log of a replay
// without any timing error, to judge replays against what they were asked to
// do rather than against the recording's own time stamps.
std::vector<HarnessLogEntry> writeBareSchedule(const Recording& recording, const std::filesystem::path& file);

}  // namespace brevanor
