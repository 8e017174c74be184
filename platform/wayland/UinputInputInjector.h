#pragma once

#include <linux/input.h>

#include <bitset>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "base/platform/InputInjector.h"

namespace brevanor {

class DisplayService;
class UinputNode;

// Posts synthetic input through one virtual device of the kernel's, made
// through /dev/uinput, for compositors that offer no virtual pointer and
// keyboard to their clients (KWin, Mutter). The device is an absolute pointer,
// as a virtual machine's tablet is, whose axes span the output layout in layout
// pixels, so that a position lands on the same pixel whatever the
// acceleration; and a keyboard of kernel key codes, to which the compositor
// applies the user's own layout. What it holds it releases when destroyed;
// should this process die instead, the kernel destroys the device with the
// last descriptor and the input core releases what it held.
class UinputInputInjector final : public InputInjector {
public:
    static constexpr const char* kDeviceName = "Brevanor virtual input";
    // A new device reaches the compositor through udev a moment after it is
    // made, and events written before the compositor opened it are lost: the
    // first event waits until the device is this old.
    static constexpr std::chrono::milliseconds kSettleTime{200};
    // A wheel click in the kernel's high-resolution wheel units.
    static constexpr std::int32_t kHighResolutionPerClick = 120;
    // Compositors scroll 15 units for a click: a pixel of a continuous scroll is an eighth of a click.
    static constexpr std::int32_t kHighResolutionPerPixel = kHighResolutionPerClick / 15;

    // The device's axes span the layout that `displays` reports when it is made.
    UinputInputInjector(std::unique_ptr<UinputNode> node, std::shared_ptr<DisplayService> displays,
                        std::chrono::nanoseconds settleTime = kSettleTime);
    ~UinputInputInjector() override;
    UinputInputInjector(const UinputInputInjector&) = delete;
    UinputInputInjector& operator=(const UinputInputInjector&) = delete;

    // Makes the device, or makes it anew when the layout changed since.
    void prepareToPost() override;
    bool post(const SyntheticInput& input) override;
    // No client is told where the pointer is: nothing, unless this injector put it somewhere itself.
    std::optional<Point> cursorPosition() override;
    // Whether this injector posted that key-down; other Brevanor processes' are not seen.
    bool didRecentlyPostKeyDown(std::uint16_t keyCode, std::uint64_t withinNanos, std::uint64_t nowNanos) override;

    // Whether posting can work: the device exists, or the node can be opened for writing.
    bool canPost();

private:
    // The box around every output of the layout, in layout pixels.
    struct LayoutBox {
        std::int32_t x = 0, y = 0, width = 0, height = 0;
        friend bool operator==(const LayoutBox&, const LayoutBox&) = default;
    };

    std::optional<LayoutBox> readLayout() const;
    bool ready();
    bool create(const LayoutBox& box);
    void destroy();
    void moveTo(double x, double y, std::vector<input_event>& events);
    void scroll(const SyntheticInput& input, std::vector<input_event>& events);
    bool key(const SyntheticInput& input);
    bool write(const std::vector<input_event>& events);
    void releaseHeld();

    const std::unique_ptr<UinputNode> node_;
    const std::shared_ptr<DisplayService> displays_;
    const std::chrono::nanoseconds settleTime_;

    std::mutex mutex_;  // guards everything below; posts come from the playback queue, queries from anywhere
    std::optional<LayoutBox> device_;  // the layout the device spans, while it exists
    std::uint64_t settledAt_ = 0;      // MonotonicClock: when the device may be written to
    std::optional<Point> lastPosition_;
    bool capsLocked_ = false;                  // as this injector left it: the compositor tells no client
    std::int32_t wheelRemainder_[2] = {0, 0};  // high-resolution units not yet a whole click, vertical and horizontal
    std::bitset<256> keysHeld_;                // kernel key codes
    std::bitset<8> buttonsHeld_;               // offsets from BTN_LEFT
    std::uint64_t keyDownAt_[256] = {};        // kernel key code -> MonotonicClock of its last press
};

}  // namespace brevanor
