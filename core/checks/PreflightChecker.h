#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/values/DisplayInfo.h"
#include "core/checks/PreflightWarning.h"
#include "core/model/Recording.h"
#include "core/playback/PlaybackOptions.h"

namespace brevanor {

// Before a playback: what differs between the machine now and the recorded
// environment in ways that make a replay misfire. Pure functions of their arguments.
namespace PreflightChecker {

// In the order displays, application, keyboard layout, length of the playback
// with `options`, without the kinds the recording silences. `runningBundleIDs`
// are compared exactly.
std::vector<PreflightWarning> warnings(const Recording& recording, const PlaybackOptions& options,
                                       const std::vector<DisplayInfo>& currentDisplays,
                                       const std::set<std::string>& runningBundleIDs,
                                       const std::optional<std::string>& currentInputSourceID);
// The same for a playback with the recording's own settings.
std::vector<PreflightWarning> warnings(const Recording& recording, const std::vector<DisplayInfo>& currentDisplays,
                                       const std::set<std::string>& runningBundleIDs,
                                       const std::optional<std::string>& currentInputSourceID);
// How long a playback with `options` lasts in seconds, pauses and click delays
// included; one run when it repeats endlessly.
double playbackSeconds(const Recording& recording, const PlaybackOptions& options);
// The same arrangement: equal frames and scales in any order; ids do not count.
bool displaysMatch(const std::vector<DisplayInfo>& a, const std::vector<DisplayInfo>& b);
// "2 displays (1440×900 @2x, 1920×1080 @1x)": sizes and scales in whole numbers.
std::string describe(const std::vector<DisplayInfo>& displays);
// The input source id without the system's layout prefixes.
std::string friendlyInputSourceName(std::string_view inputSourceID);

}  // namespace PreflightChecker

}  // namespace brevanor
