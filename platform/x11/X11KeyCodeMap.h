#pragma once

#include <cstdint>
#include <optional>

namespace brevanor {

// Translates between X key codes and the platform-neutral virtual key codes
// that recordings, key names and shortcut tables use. X key codes are the
// evdev codes plus 8, as Xvfb and every current X server with the evdev or
// libinput driver report them. Keys of a full-size keyboard map to their
// neutral counterparts; every other X key code gets a code in a private range
// that maps back to the same X key, so the translation round-trips exactly.
namespace X11KeyCodeMap {

// X key codes run from 8 to 255.
inline constexpr std::uint8_t kMinXKeyCode = 8;
// Neutral codes at or above this value stand for an X key without a neutral
// counterpart: the X key code is the offset from the base.
inline constexpr std::uint16_t kPrivateKeyCodeBase = 0x1000;

// The neutral key code of an X key code (a table entry or a private code).
std::uint16_t neutralKeyCode(std::uint8_t xKeyCode);

// The X key code of a neutral key code, or nothing when no X key types it
// (e.g. fn, which X servers do not report as a key, or a private code that
// does not come from neutralKeyCode).
std::optional<std::uint8_t> xKeyCode(std::uint16_t neutralKeyCode);

}  // namespace X11KeyCodeMap

}  // namespace brevanor
