#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "base/dispatch/MainQueue.h"
#include "base/keys/HotkeyChord.h"
#include "core/capture/InputEventConsumer.h"
#include "core/control/EscHold.h"

namespace brevanor {

// Watches the system-wide listener for the keys that end a recording or a
// playback started from the command line: the stop shortcut, the record
// shortcut (when given) and Esc held down. Input that Brevanor itself posted
// never counts. Each press reaches the handler through the main queue with the
// time and key code of the key-down, so a recording can cut it off its end.
class StopKeys final : public InputEventConsumer, public std::enable_shared_from_this<StopKeys> {
public:
    enum class Key { recordShortcut, stopShortcut, escapeHold };
    struct Press {
        Key key = Key::stopShortcut;
        std::uint64_t timeNanos = 0;  // MonotonicClock time of the key-down
        std::uint16_t keyCode = 0;
        friend bool operator==(const Press&, const Press&) = default;
    };
    using Handler = std::function<void(const Press&)>;

    static std::shared_ptr<StopKeys> make(std::optional<HotkeyChord> recordShortcut, HotkeyChord stopShortcut,
                                          std::shared_ptr<MainQueue> mainQueue, Handler handler,
                                          std::uint64_t holdNanos = EscHold::defaultHoldNanos);

    // On the listener's delivery queue.
    void consume(const TapEvent& event) override;

private:
    StopKeys(std::optional<HotkeyChord> recordShortcut, HotkeyChord stopShortcut, std::shared_ptr<MainQueue> mainQueue,
             Handler handler);
    void report(const Press& press);

    const std::optional<HotkeyChord> recordShortcut_;
    const HotkeyChord stopShortcut_;
    const std::shared_ptr<MainQueue> mainQueue_;
    const Handler handler_;
    std::shared_ptr<EscHold> escHold_;
};

}  // namespace brevanor
