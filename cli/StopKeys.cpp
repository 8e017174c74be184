#include "cli/StopKeys.h"

#include "base/values/TapEvent.h"

namespace brevanor {

std::shared_ptr<StopKeys> StopKeys::make(std::optional<HotkeyChord> recordShortcut, HotkeyChord stopShortcut,
                                         std::shared_ptr<MainQueue> mainQueue, Handler handler,
                                         std::uint64_t holdNanos) {
    std::shared_ptr<StopKeys> keys(new StopKeys(recordShortcut, stopShortcut, mainQueue, std::move(handler)));
    keys->escHold_ = EscHold::make(std::move(mainQueue), holdNanos,
                                   [weak = std::weak_ptr<StopKeys>(keys)](std::uint64_t pressTimeNanos) {
                                       if (const auto self = weak.lock()) {
                                           self->report({Key::escapeHold, pressTimeNanos, HotkeyChord::escapeKeyCode});
                                       }
                                   });
    return keys;
}

StopKeys::StopKeys(std::optional<HotkeyChord> recordShortcut, HotkeyChord stopShortcut,
                   std::shared_ptr<MainQueue> mainQueue, Handler handler)
    : recordShortcut_(recordShortcut),
      stopShortcut_(stopShortcut),
      mainQueue_(std::move(mainQueue)),
      handler_(std::move(handler)) {}

void StopKeys::consume(const TapEvent& event) {
    if (event.isSynthetic) return;
    const auto type = event.kind.type;
    const std::uint16_t keyCode = event.kind.keyCode;
    if (type == TapEvent::Kind::Type::keyUp && keyCode == HotkeyChord::escapeKeyCode) {
        escHold_->cancel();
        return;
    }
    if (type != TapEvent::Kind::Type::keyDown || event.kind.isRepeat) return;
    // As in the application: Esc starts its hold whatever else it is.
    if (keyCode == HotkeyChord::escapeKeyCode) escHold_->press(event.timestamp);
    if (stopShortcut_.matches(keyCode, event.flags)) {
        report({Key::stopShortcut, event.timestamp, keyCode});
    } else if (recordShortcut_ && recordShortcut_->matches(keyCode, event.flags)) {
        report({Key::recordShortcut, event.timestamp, keyCode});
    }
}

void StopKeys::report(const Press& press) {
    mainQueue_->post([weak = weak_from_this(), press] {
        if (const auto self = weak.lock()) self->handler_(press);
    });
}

}  // namespace brevanor
