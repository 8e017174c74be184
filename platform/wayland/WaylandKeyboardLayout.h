#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "base/platform/KeyboardLayout.h"
#include "platform/wayland/WaylandKeymap.h"

namespace brevanor {

// The session's keymap (the seat's, else the configured XKB layout), read once
// on first use: its first layout's name is the input source, and a key's text
// is what that layout types with no modifier held.
class WaylandKeyboardLayout final : public KeyboardLayout {
public:
    // `displayName` empty: $WAYLAND_DISPLAY.
    explicit WaylandKeyboardLayout(std::string displayName);

    std::optional<std::string> currentInputSourceId() override;
    std::optional<std::string> character(std::uint16_t keyCode) override;

private:
    const WaylandKeymap* keymap();

    const std::string displayName_;
    std::mutex mutex_;
    bool tried_ = false;
    std::optional<WaylandKeymap> keymap_;
};

}  // namespace brevanor
