#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/platform/KeyboardLayout.h"

struct xcb_connection_t;
struct xkb_context;
struct xkb_keymap;

namespace brevanor {

// The keyboard layout of an X display through XKB. The input source is the
// active group's layout and variant as setxkbmap names them ("us",
// "de(nodeadkeys)"), read from the server's _XKB_RULES_NAMES. Characters come
// from the server's keymap, compiled with xkbcommon and compiled again when the
// server reports a new one. A dead key names the accent it puts on the next
// letter ("^" for dead_circumflex). Callable from any thread.
class X11KeyboardLayout final : public KeyboardLayout {
public:
    // Needs the display name (empty: $DISPLAY); opens a connection of its own.
    // Reads nothing while the server lacks XKB or went away.
    explicit X11KeyboardLayout(std::string displayName);
    ~X11KeyboardLayout() override;
    X11KeyboardLayout(const X11KeyboardLayout&) = delete;
    X11KeyboardLayout& operator=(const X11KeyboardLayout&) = delete;

    std::optional<std::string> currentInputSourceId() override;
    std::optional<std::string> character(std::uint16_t keyCode) override;

    // The input source of group `group` in an _XKB_RULES_NAMES value (rules,
    // model, layouts, variants, options, each ended by a NUL byte).
    static std::optional<std::string> inputSourceFromRulesNames(std::string_view rulesNames, unsigned group);

private:
    bool ready();
    std::optional<unsigned> activeGroup();
    void disconnect();

    std::string displayName_;
    std::mutex mutex_;
    xcb_connection_t* connection_ = nullptr;
    unsigned int root_ = 0;
    std::int32_t deviceId_ = -1;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;  // compiled again after the server announces a new keymap
};

}  // namespace brevanor
