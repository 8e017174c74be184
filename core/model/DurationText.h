#pragma once

#include <cstdint>
#include <string>

namespace brevanor {

// How lengths of time are shown to users.
namespace DurationText {

// A recording's length: "59.9 s" under a minute, else "1 min 15 s" (whole seconds, truncated).
std::string duration(std::uint64_t nanos);
// A running clock: minutes, a colon and seconds with one decimal, "0:05.3" or "1:02.0".
std::string elapsed(std::uint64_t nanos);

}  // namespace DurationText

}  // namespace brevanor
