#pragma once

#include "brevanor/platform/HotKeyService.h"

namespace brevanor {

// Wayland has no protocol for global key combinations. Until the device
// listener watches for them, every registration is refused with
// kNoGlobalShortcuts; compositor key bindings that run
// `brevanor-cli play` or `brevanor-cli record` are the way to start Brevanor by a key.
class WaylandHotKeyService final : public HotKeyService {
public:
    static constexpr std::int32_t kNoGlobalShortcuts = -2;

    void setPressHandler(PressHandler) override {}
    std::int32_t registerHotKey(std::uint32_t, HotkeyChord) override { return kNoGlobalShortcuts; }
    void unregisterHotKey(std::uint32_t) override {}
    std::optional<HotkeyChord> chordOfKeyEvent(std::uint32_t, std::uint32_t) const override { return std::nullopt; }
};

}  // namespace brevanor
