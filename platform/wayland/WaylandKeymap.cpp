#include "platform/wayland/WaylandKeymap.h"

#include <cstdlib>

#include <xkbcommon/xkbcommon.h>

namespace brevanor {

void WaylandKeymap::Unref::operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }

std::optional<WaylandKeymap> WaylandKeymap::fromSeatOrConfiguration(const std::string& seatKeymap) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context) return std::nullopt;
    xkb_keymap* keymap = nullptr;
    if (!seatKeymap.empty()) {
        keymap = xkb_keymap_new_from_string(context, seatKeymap.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                            XKB_KEYMAP_COMPILE_NO_FLAGS);
    }
    // No names given: xkbcommon takes the XKB_DEFAULT_* variables, then its built-in default.
    if (!keymap) keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);  // the keymap holds the context it needs
    if (!keymap) return std::nullopt;
    return WaylandKeymap(std::shared_ptr<xkb_keymap>(keymap, Unref{}));
}

std::string WaylandKeymap::text() const {
    char* text = xkb_keymap_get_as_string(keymap_.get(), XKB_KEYMAP_FORMAT_TEXT_V1);
    if (!text) return {};
    std::string result(text);
    std::free(text);
    return result;
}

std::optional<std::string> WaylandKeymap::layoutName() const {
    if (xkb_keymap_num_layouts(keymap_.get()) == 0) return std::nullopt;
    const char* name = xkb_keymap_layout_get_name(keymap_.get(), 0);
    if (!name || !*name) return std::nullopt;
    return std::string(name);
}

}  // namespace brevanor
