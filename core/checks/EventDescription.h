#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/model/RecordingEvent.h"

namespace brevanor {

class KeyboardLayout;

// How one recorded event is shown in event lists (the library's event list and
// `brevanor-cli events`): its type and its details, key names in the user's
// layout. With `maskKeys` (a recording marked as holding sensitive input) a key
// press or release says nothing of which key it was.
namespace EventDescription {

// "Mouse down", "Mouse up", "Path", "Scroll", "Key down", "Key up", "Modifier down", "Modifier up", "Pause".
std::string type(const RecordingEvent& event);
// "Left button at (149, 151.5)", "A  Ctrl", "50 points (100, 200) → (149, 151) in 0.392 s", "1.220 s", ...
// `layout` may be null.
std::string details(const RecordingEvent& event, KeyboardLayout* layout, bool maskKeys);
// The same with keys named by `keyName`.
std::string details(const RecordingEvent& event, const std::function<std::string(std::uint16_t)>& keyName,
                    bool maskKeys);
// Seconds with three decimals: "1.220 s".
std::string seconds(std::uint64_t nanos);
// What a masked key shows instead of its name.
inline constexpr std::string_view maskedKey = "•••";

}  // namespace EventDescription

}  // namespace brevanor
