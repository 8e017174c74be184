#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "base/dispatch/MainQueue.h"
#include "base/keys/HotkeyChord.h"
#include "core/capture/InputEventConsumer.h"
#include "core/control/EscHold.h"

namespace brevanor {

// Watches the system-wide listener for the keys that work whichever program
// has the keyboard, for the application and the command line alike: the record
// and stop shortcuts it is given, and Esc held down. Input that Brevanor itself
// posted never counts, nor do auto-repeats. Each press reaches the handler
// through the main queue with the time and key code of its key-down, so a
// recording can cut it off its end. Its settings may change from any thread.
class ShortcutWatch final : public InputEventConsumer, public std::enable_shared_from_this<ShortcutWatch> {
public:
    enum class Key { recordShortcut, stopShortcut, escapeHold };
    struct Press {
        Key key = Key::stopShortcut;
        std::uint64_t timeNanos = 0;  // MonotonicClock time of the key-down
        std::uint16_t keyCode = 0;
        friend bool operator==(const Press&, const Press&) = default;
    };
    using Handler = std::function<void(const Press&)>;

    // A watch for nothing but Esc held down, until told the shortcuts.
    static std::shared_ptr<ShortcutWatch> make(std::shared_ptr<MainQueue> mainQueue, Handler handler,
                                               std::uint64_t holdNanos = EscHold::defaultHoldNanos);

    // The shortcuts that count; none for either leaves it out.
    void watch(std::optional<HotkeyChord> recordShortcut, std::optional<HotkeyChord> stopShortcut);
    // Whether holding Esc counts (from the start it does); turning it off ends a hold under way.
    void setEscHoldEnabled(bool enabled);

    // On the listener's delivery queue.
    void consume(const TapEvent& event) override;

private:
    ShortcutWatch(std::shared_ptr<MainQueue> mainQueue, Handler handler);
    void report(const Press& press);

    const std::shared_ptr<MainQueue> mainQueue_;
    const Handler handler_;
    std::shared_ptr<EscHold> escHold_;

    std::mutex mutex_;  // guards the fields below
    std::optional<HotkeyChord> recordShortcut_;
    std::optional<HotkeyChord> stopShortcut_;
    bool escHoldEnabled_ = true;
};

}  // namespace brevanor
