#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "app/control/HotkeyAction.h"
#include "app/control/HotkeyBinding.h"
#include "base/dispatch/MainQueue.h"
#include "base/platform/HotKeyService.h"
#include "core/capture/InputEventConsumer.h"
#include "core/control/EscHold.h"
#include "core/control/ShortcutWatch.h"

namespace brevanor {

class InputEventTap;

// Turns key presses anywhere in the session into application actions. The
// bindings are registered with the platform's hot-key service; the system-wide
// listener adds what that service cannot give: holding Esc for a while, and the
// stop shortcut seen while another program grabs the keyboard. Every action
// reaches onAction through the main queue, with the time and key code of the
// press, so that a recording can cut the shortcut's own keystrokes.
class HotkeyManager final : public InputEventConsumer, public std::enable_shared_from_this<HotkeyManager> {
public:
    using Action = HotkeyAction;
    // (action, press time in MonotonicClock nanoseconds, key code of the press)
    using ActionHandler = std::function<void(const Action&, std::uint64_t, std::uint16_t)>;
    // Asked with a hot key's key code before its press becomes an action; true drops it.
    using TriggerFilter = std::function<bool(std::uint16_t)>;

    struct RegistrationFailure {
        HotkeyBinding binding;
        std::int32_t status = 0;  // what the hot-key service answered

        friend bool operator==(const RegistrationFailure&, const RegistrationFailure&) = default;
    };

    static constexpr std::uint64_t defaultEscHoldNanos = EscHold::defaultHoldNanos;

    // A manager listening to `tap` (may be null: no Esc hold, no stop chord from
    // the listener) and registering with `service`. Called on the main thread.
    static std::shared_ptr<HotkeyManager> make(std::shared_ptr<HotKeyService> service,
                                               std::shared_ptr<InputEventTap> tap, std::shared_ptr<MainQueue> mainQueue,
                                               std::uint64_t escHoldNanos = defaultEscHoldNanos);
    // Unregisters every shortcut and leaves the listener.
    ~HotkeyManager() override;
    HotkeyManager(const HotkeyManager&) = delete;
    HotkeyManager& operator=(const HotkeyManager&) = delete;

    // Both are set once on the main thread before events flow, and called there.
    void setOnAction(ActionHandler handler) { onAction_ = std::move(handler); }
    void setShouldIgnoreTrigger(TriggerFilter filter) { shouldIgnoreTrigger_ = std::move(filter); }

    // Replaces the bindings and registers them (not while suspended); answers the
    // ones the service refused, in binding order. An unchanged list that is fully
    // registered is left alone. Main thread.
    std::vector<RegistrationFailure> update(std::vector<HotkeyBinding> bindings);
    // true: unregisters every shortcut and ignores presses, the bindings are kept;
    // false: registers them again (under new ids), dropping failures. Main thread.
    void setSuspended(bool suspended);
    // Holding Esc stops only while enabled; disabling cancels a pending hold. Main thread.
    void setEscHoldEnabled(bool enabled);

    // The listener's events, on its delivery queue.
    void consume(const TapEvent& event) override;

private:
    HotkeyManager(std::shared_ptr<HotKeyService> service, std::shared_ptr<InputEventTap> tap,
                  std::shared_ptr<MainQueue> mainQueue);

    void handleHotKey(std::uint32_t id, std::uint64_t pressTimeNanos);
    // A press the listener saw: the stop shortcut or Esc held, on the main queue.
    void watched(const ShortcutWatch::Press& press);
    void dispatch(const Action& action, std::uint64_t timeNanos, std::uint16_t keyCode);
    std::vector<RegistrationFailure> registerAllLocked();
    void unregisterAllLocked();

    const std::shared_ptr<HotKeyService> service_;
    const std::shared_ptr<InputEventTap> tap_;
    const std::shared_ptr<MainQueue> mainQueue_;
    ActionHandler onAction_;
    TriggerFilter shouldIgnoreTrigger_;

    std::mutex mutex_;  // guards every field below; never held while a callback runs or a timer is cancelled
    std::vector<HotkeyBinding> bindings_;
    std::map<std::uint32_t, HotkeyBinding> registered_;
    std::uint32_t nextID_ = 1;  // never reused during a run
    bool suspended_ = false;

    std::shared_ptr<ShortcutWatch> watch_;
};

}  // namespace brevanor
