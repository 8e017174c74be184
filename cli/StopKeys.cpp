#include "cli/StopKeys.h"

#include "core/capture/TapEvent.h"
#include "core/model/SaturatingMath.h"

namespace brevanor {

std::shared_ptr<StopKeys> StopKeys::make(std::optional<HotkeyChord> recordShortcut, HotkeyChord stopShortcut,
                                         std::shared_ptr<MainQueue> mainQueue, Handler handler,
                                         std::uint64_t holdNanos) {
    return std::shared_ptr<StopKeys>(
        new StopKeys(recordShortcut, stopShortcut, std::move(mainQueue), std::move(handler), holdNanos));
}

StopKeys::StopKeys(std::optional<HotkeyChord> recordShortcut, HotkeyChord stopShortcut,
                   std::shared_ptr<MainQueue> mainQueue, Handler handler, std::uint64_t holdNanos)
    : recordShortcut_(recordShortcut),
      stopShortcut_(stopShortcut),
      mainQueue_(std::move(mainQueue)),
      handler_(std::move(handler)),
      holdNanos_(holdNanos) {}

StopKeys::~StopKeys() {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        timer = std::move(escTimer_);
    }
    if (timer) timer->cancel();
}

void StopKeys::consume(const TapEvent& event) {
    if (event.isSynthetic) return;
    const auto type = event.kind.type;
    const std::uint16_t keyCode = event.kind.keyCode;
    if (type == TapEvent::Kind::Type::keyUp && keyCode == HotkeyChord::escapeKeyCode) {
        std::shared_ptr<Timer> timer;
        {
            std::lock_guard lock(mutex_);
            ++escGeneration_;
            timer = std::move(escTimer_);
        }
        if (timer) timer->cancel();
        return;
    }
    if (type != TapEvent::Kind::Type::keyDown || event.kind.isRepeat) return;
    if (stopShortcut_.matches(keyCode, event.flags)) {
        report({Key::stopShortcut, event.timestamp, keyCode});
    } else if (recordShortcut_ && recordShortcut_->matches(keyCode, event.flags)) {
        report({Key::recordShortcut, event.timestamp, keyCode});
    } else if (keyCode == HotkeyChord::escapeKeyCode) {
        const Press press{Key::escapeHold, event.timestamp, keyCode};
        std::shared_ptr<Timer> previous;
        {
            std::lock_guard lock(mutex_);
            const std::uint64_t generation = ++escGeneration_;
            previous = std::move(escTimer_);
            escTimer_ = queue_.makeTimer([weak = weak_from_this(), press, generation] {
                const auto self = weak.lock();
                if (!self) return;
                {
                    std::lock_guard lock(self->mutex_);
                    if (self->escGeneration_ != generation) return;
                    self->escTimer_.reset();
                }
                self->report(press);
            });
            // Measured from the key-down, so a listener that delivered it late does not lengthen the hold.
            escTimer_->schedule(saturatingAdd(event.timestamp, holdNanos_));
        }
        if (previous) previous->cancel();
    }
}

void StopKeys::report(const Press& press) {
    mainQueue_->post([weak = weak_from_this(), press] {
        if (const auto self = weak.lock()) self->handler_(press);
    });
}

}  // namespace brevanor
