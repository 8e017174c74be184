#include "platform/wayland/WaylandKeyboardLayout.h"

#include <xkbcommon/xkbcommon.h>

#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/X11KeyCodeMap.h"

namespace brevanor {

WaylandKeyboardLayout::WaylandKeyboardLayout(std::string displayName) : displayName_(std::move(displayName)) {}

const WaylandKeymap* WaylandKeyboardLayout::keymap() {
    if (!tried_) {
        tried_ = true;
        std::string seatKeymap;
        try {
            seatKeymap = WaylandConnection(displayName_).seatKeymap();
        } catch (const std::exception&) {
            // No compositor: the configured layout still names the keys.
        }
        keymap_ = WaylandKeymap::fromSeatOrConfiguration(seatKeymap);
    }
    return keymap_ ? &*keymap_ : nullptr;
}

std::optional<std::string> WaylandKeyboardLayout::currentInputSourceId() {
    std::lock_guard lock(mutex_);
    const WaylandKeymap* map = keymap();
    return map ? map->layoutName() : std::nullopt;
}

std::optional<std::string> WaylandKeyboardLayout::character(std::uint16_t keyCode) {
    std::lock_guard lock(mutex_);
    const WaylandKeymap* map = keymap();
    const auto xKeyCode = X11KeyCodeMap::xKeyCode(keyCode);
    if (!map || !xKeyCode) return std::nullopt;
    xkb_state* state = xkb_state_new(map->keymap());
    if (!state) return std::nullopt;
    char text[64] = {};
    const int length = xkb_state_key_get_utf8(state, *xKeyCode, text, sizeof text);
    xkb_state_unref(state);
    // Control characters (Return, Tab, Escape...) have names, not text.
    if (length <= 0 || static_cast<unsigned char>(text[0]) < 0x20 || text[0] == 0x7f) return std::nullopt;
    return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace brevanor
