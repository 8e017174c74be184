#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brevanor {

// The keyboard layout in use.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;

    // The selected input source as text (on X11 the XKB layout, e.g. "de(nodeadkeys)").
    virtual std::optional<std::string> currentInputSourceId() = 0;
    // The text (UTF-8) the key types on the current layout without modifiers,
    // dead keys not composed; nothing when the key has no such text.
    virtual std::optional<std::string> character(std::uint16_t keyCode) = 0;
};

}  // namespace brevanor
