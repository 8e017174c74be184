#include "cli/StopSources.h"

namespace brevanor {

StopSources::StopSources(std::shared_ptr<InputEventTap> tap, std::optional<HotkeyChord> recordShortcut,
                         HotkeyChord stopShortcut, std::shared_ptr<MainQueue> mainQueue, Handler handler)
    : tap_(std::move(tap)),
      keys_(ShortcutWatch::make(mainQueue,
                                [handler](const ShortcutWatch::Press& press) {
                                    handler(Request{press, 0});
                                })),
      signals_([mainQueue, handler](int signalNumber) {
          mainQueue->post([handler, signalNumber] { handler(Request{std::nullopt, signalNumber}); });
      }) {
    keys_->watch(recordShortcut, stopShortcut);
    if (tap_) tap_->addConsumer(keys_);
}

StopSources::~StopSources() {
    if (tap_) tap_->removeConsumer(*keys_);
}

}  // namespace brevanor
