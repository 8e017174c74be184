#pragma once

#include <cstdint>

namespace brevanor {

// The mark of input that Brevanor itself posted, so that the recorder and the
// hotkey manager can ignore it. Where the platform event has a user-data field
// the value is written there; where it has none (X11) the injector notes what it
// posted and the listener recognises it, and this value only names the marker.
namespace SyntheticEventMarker {

// The ASCII letters "BREVANOR", most significant byte first.
inline constexpr std::int64_t value = 0x42'52'45'56'41'4E'4F'52;

}  // namespace SyntheticEventMarker

}  // namespace brevanor
