#include "platform/x11/X11KeyboardLayout.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/x11/X11KeyCodeMap.h"
// The XKB protocol header names a field "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace brevanor {

namespace {

struct FreeDeleter {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

// The spacing form of each dead key: what the key shows when it is not composed.
std::optional<std::string> deadKeyText(xkb_keysym_t keysym) {
    switch (keysym) {
        case XKB_KEY_dead_grave: return "`";
        case XKB_KEY_dead_acute: return "´";
        case XKB_KEY_dead_circumflex: return "^";
        case XKB_KEY_dead_tilde: return "~";
        case XKB_KEY_dead_macron: return "¯";
        case XKB_KEY_dead_breve: return "˘";
        case XKB_KEY_dead_abovedot: return "˙";
        case XKB_KEY_dead_diaeresis: return "¨";
        case XKB_KEY_dead_abovering: return "˚";
        case XKB_KEY_dead_doubleacute: return "˝";
        case XKB_KEY_dead_caron: return "ˇ";
        case XKB_KEY_dead_cedilla: return "¸";
        case XKB_KEY_dead_ogonek: return "˛";
        default: return std::nullopt;
    }
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text = text.substr(at + 1);
    }
}

}  // namespace

X11KeyboardLayout::X11KeyboardLayout(std::string displayName) : displayName_(std::move(displayName)) {}

X11KeyboardLayout::~X11KeyboardLayout() {
    disconnect();
    if (context_) xkb_context_unref(context_);
}

void X11KeyboardLayout::disconnect() {
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = nullptr;
    if (connection_) xcb_disconnect(connection_);
    connection_ = nullptr;
    deviceId_ = -1;
}

bool X11KeyboardLayout::ready() {
    if (connection_ && xcb_connection_has_error(connection_)) disconnect();
    if (!connection_) {
        int screenNumber = 0;
        connection_ = xcb_connect(displayName_.empty() ? nullptr : displayName_.c_str(), &screenNumber);
        if (xcb_connection_has_error(connection_)) return false;
        auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
        if (screens.rem == 0) return false;
        root_ = screens.data->root;
        if (!xkb_x11_setup_xkb_extension(connection_, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                         XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
            return false;
        }
        deviceId_ = xkb_x11_get_core_keyboard_device_id(connection_);
        if (deviceId_ < 0) return false;
        // Told of every new keymap, so the compiled one is replaced only when needed.
        const std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
        const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                       XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                       XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                       XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
        xcb_xkb_select_events(connection_, static_cast<xcb_xkb_device_spec_t>(deviceId_), events, 0, events, mapParts,
                              mapParts, nullptr);
    }
    if (deviceId_ < 0) return false;
    // Any XKB event on this connection says the keymap changed.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        std::free(event);
        if (keymap_) xkb_keymap_unref(keymap_);
        keymap_ = nullptr;
    }
    if (!keymap_) {
        if (!context_) context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        if (!context_) return false;
        keymap_ = xkb_x11_keymap_new_from_device(context_, connection_, deviceId_, XKB_KEYMAP_COMPILE_NO_FLAGS);
    }
    return keymap_ != nullptr;
}

std::optional<unsigned> X11KeyboardLayout::activeGroup() {
    ReplyPtr<xcb_xkb_get_state_reply_t> state(xcb_xkb_get_state_reply(
        connection_, xcb_xkb_get_state(connection_, static_cast<xcb_xkb_device_spec_t>(deviceId_)), nullptr));
    if (!state) return std::nullopt;
    return state->group;
}

std::optional<std::string> X11KeyboardLayout::inputSourceFromRulesNames(std::string_view rulesNames, unsigned group) {
    const auto fields = split(rulesNames, '\0');
    if (fields.size() < 3 || fields[2].empty()) return std::nullopt;
    const auto layouts = split(fields[2], ',');
    const auto variants = fields.size() > 3 ? split(fields[3], ',') : std::vector<std::string_view>{};
    // XKB wraps a group number beyond the last layout around to the first ones.
    const std::size_t index = group % layouts.size();
    std::string source{layouts[index]};
    if (source.empty()) return std::nullopt;
    if (index < variants.size() && !variants[index].empty()) source += "(" + std::string(variants[index]) + ")";
    return source;
}

std::optional<std::string> X11KeyboardLayout::currentInputSourceId() {
    std::lock_guard lock(mutex_);
    if (!ready()) return std::nullopt;
    const auto group = activeGroup();
    if (!group) return std::nullopt;
    static constexpr char kProperty[] = "_XKB_RULES_NAMES";
    ReplyPtr<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 1, sizeof kProperty - 1, kProperty), nullptr));
    if (!atom || atom->atom == XCB_NONE) return std::nullopt;
    ReplyPtr<xcb_get_property_reply_t> names(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, root_, atom->atom, XCB_ATOM_STRING, 0, 4096), nullptr));
    if (!names || names->type != XCB_ATOM_STRING || names->format != 8) return std::nullopt;
    const std::string_view value(static_cast<const char*>(xcb_get_property_value(names.get())),
                                 static_cast<std::size_t>(xcb_get_property_value_length(names.get())));
    return inputSourceFromRulesNames(value, *group);
}

std::optional<std::string> X11KeyboardLayout::character(std::uint16_t keyCode) {
    const auto xKeyCode = X11KeyCodeMap::xKeyCode(keyCode);
    if (!xKeyCode) return std::nullopt;
    std::lock_guard lock(mutex_);
    if (!ready()) return std::nullopt;
    const auto group = activeGroup();
    if (!group) return std::nullopt;
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap_, *xKeyCode);
    if (layouts == 0) return std::nullopt;
    const xkb_keysym_t* symbols = nullptr;
    // Level 0 of the active layout: the key with no modifier held.
    const int count = xkb_keymap_key_get_syms_by_level(keymap_, *xKeyCode, *group % layouts, 0, &symbols);
    if (count < 1 || !symbols) return std::nullopt;
    if (auto dead = deadKeyText(symbols[0])) return dead;
    char text[16] = {};
    const int length = xkb_keysym_to_utf8(symbols[0], text, sizeof text);
    if (length <= 1) return std::nullopt;  // the length counts the terminating NUL
    return std::string(text, static_cast<std::size_t>(length - 1));
}

}  // namespace brevanor
