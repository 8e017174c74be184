#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/keys/HotkeyChord.h"

namespace brevanor {

// A shortcut as it is kept in the preferences: the JSON object
// {"keyCode": 0...65535, "modifiers": the modifier flags}.
namespace HotkeyChordJSON {

// Nothing when the chord cannot be written (flags past the signed 64-bit range).
std::optional<std::vector<std::uint8_t>> encode(const HotkeyChord& chord);
// Nothing unless `data` is such an object with both numbers whole and in range;
// other keys are ignored.
std::optional<HotkeyChord> decode(const std::vector<std::uint8_t>& data);

}  // namespace HotkeyChordJSON

}  // namespace brevanor
