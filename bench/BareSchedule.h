#pragma once

#include <filesystem>

#include "core/model/Recording.h"

namespace brevanor {

// Writes the XTest requests of one replay of `recording` (as recorded, speed
// 1, positions unchanged) in the schedule format brevanor-bare-injector reads,
// so that the baseline replays exactly the requests Brevanor sends, at the
// offsets Brevanor's timeline gives them.
void writeBareSchedule(const Recording& recording, const std::filesystem::path& file);

}  // namespace brevanor
