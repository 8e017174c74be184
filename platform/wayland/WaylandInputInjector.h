#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/platform/InputInjector.h"

struct xkb_state;
struct zwlr_virtual_pointer_v1;
struct zwp_virtual_keyboard_v1;

namespace brevanor {

class WaylandConnection;
class WaylandInputGuardian;

// Posts synthetic input through a wlroots compositor's virtual pointer and
// virtual keyboard, on a connection of its own. The pointer moves absolutely
// against the extents of the output layout, so a position lands on the same
// layout pixel whatever the acceleration; the keyboard uploads the session's
// own keymap before its first key, so the user's layouts stay in force. Every
// request carries the time it is sent (CLOCK_MONOTONIC milliseconds, the clock
// compositors stamp real input with). What it holds it releases when
// destroyed; should this process die instead, the compositor releases the
// virtual keyboard's keys itself and the guardian process the pointer's buttons.
class WaylandInputInjector final : public InputInjector {
public:
    // A wheel click is this much axis motion, as libinput reports a mouse wheel.
    static constexpr double kAxisPerWheelClick = 15.0;

    // `displayName` empty: $WAYLAND_DISPLAY. Without a compositor, or one that
    // offers no virtual pointer and keyboard, every post fails.
    explicit WaylandInputInjector(std::string displayName);
    ~WaylandInputInjector() override;

    void prepareToPost() override;
    bool post(const SyntheticInput& input) override;
    // Wayland tells no client where the pointer is: nothing, unless this
    // injector put it somewhere itself.
    std::optional<Point> cursorPosition() override;
    // False: what virtual devices type never reaches the kernel's devices,
    // where Brevanor listens on Wayland, so no replayed key reads as the user's.
    bool didRecentlyPostKeyDown(std::uint16_t keyCode, std::uint64_t withinNanos, std::uint64_t nowNanos) override;

    // Whether the compositor offers both virtual devices (the permission to post here).
    bool canPost();

private:
    bool ready();
    bool moveTo(double x, double y, std::uint32_t time);
    bool pressButton(std::uint32_t button, bool press, std::uint32_t time);
    bool pressKey(std::uint32_t evdevCode, bool press, std::uint32_t time);
    bool scroll(const SyntheticInput& input, std::uint32_t time);
    void releaseHeld();

    const std::string displayName_;

    std::mutex mutex_;  // guards everything below; posts come from the playback queue, queries from anywhere
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<WaylandInputGuardian> guardian_;
    bool connectionTried_ = false;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    xkb_state* keyState_ = nullptr;
    std::optional<Point> lastPosition_;
    std::bitset<768> keysHeld_;    // evdev key codes
    std::bitset<16> buttonsHeld_;  // offsets from BTN_LEFT
};

}  // namespace brevanor
