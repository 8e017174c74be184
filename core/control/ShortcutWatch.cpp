#include "core/control/ShortcutWatch.h"

#include "base/values/TapEvent.h"

namespace brevanor {

std::shared_ptr<ShortcutWatch> ShortcutWatch::make(std::shared_ptr<MainQueue> mainQueue, Handler handler,
                                                   std::uint64_t holdNanos) {
    std::shared_ptr<ShortcutWatch> watch(new ShortcutWatch(mainQueue, std::move(handler)));
    watch->escHold_ = EscHold::make(
        std::move(mainQueue), holdNanos, [weak = std::weak_ptr<ShortcutWatch>(watch)](std::uint64_t pressTimeNanos) {
            if (const auto self = weak.lock()) {
                self->handler_({Key::escapeHold, pressTimeNanos, HotkeyChord::escapeKeyCode});
            }
        });
    return watch;
}

ShortcutWatch::ShortcutWatch(std::shared_ptr<MainQueue> mainQueue, Handler handler)
    : mainQueue_(std::move(mainQueue)), handler_(std::move(handler)) {}

void ShortcutWatch::watch(std::optional<HotkeyChord> recordShortcut, std::optional<HotkeyChord> stopShortcut) {
    std::lock_guard lock(mutex_);
    recordShortcut_ = recordShortcut;
    stopShortcut_ = stopShortcut;
}

void ShortcutWatch::setEscHoldEnabled(bool enabled) {
    {
        std::lock_guard lock(mutex_);
        escHoldEnabled_ = enabled;
    }
    if (!enabled) escHold_->cancel();
}

void ShortcutWatch::consume(const TapEvent& event) {
    if (event.isSynthetic) return;
    const auto type = event.kind.type;
    const std::uint16_t keyCode = event.kind.keyCode;
    if (type == TapEvent::Kind::Type::keyUp && keyCode == HotkeyChord::escapeKeyCode) {
        escHold_->cancel();
        return;
    }
    if (type != TapEvent::Kind::Type::keyDown || event.kind.isRepeat) return;
    std::optional<HotkeyChord> recordShortcut;
    std::optional<HotkeyChord> stopShortcut;
    bool escHoldEnabled = false;
    {
        std::lock_guard lock(mutex_);
        recordShortcut = recordShortcut_;
        stopShortcut = stopShortcut_;
        escHoldEnabled = escHoldEnabled_;
    }
    // Esc starts its hold whatever else it is.
    if (keyCode == HotkeyChord::escapeKeyCode && escHoldEnabled) escHold_->press(event.timestamp);
    if (stopShortcut && stopShortcut->matches(keyCode, event.flags)) {
        report({Key::stopShortcut, event.timestamp, keyCode});
    } else if (recordShortcut && recordShortcut->matches(keyCode, event.flags)) {
        report({Key::recordShortcut, event.timestamp, keyCode});
    }
}

void ShortcutWatch::report(const Press& press) {
    mainQueue_->post([weak = weak_from_this(), press] {
        if (const auto self = weak.lock()) self->handler_(press);
    });
}

}  // namespace brevanor
