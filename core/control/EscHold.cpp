#include "core/control/EscHold.h"

namespace brevanor {

std::shared_ptr<EscHold> EscHold::make(std::shared_ptr<MainQueue> mainQueue, std::uint64_t holdNanos, Handler handler) {
    return std::shared_ptr<EscHold>(new EscHold(std::move(mainQueue), holdNanos, std::move(handler)));
}

EscHold::EscHold(std::shared_ptr<MainQueue> mainQueue, std::uint64_t holdNanos, Handler handler)
    : mainQueue_(std::move(mainQueue)), holdNanos_(holdNanos), handler_(std::move(handler)) {}

void EscHold::press(std::uint64_t pressTimeNanos) {
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        pending_ = true;
        generation = ++generation_;
    }
    // Measured from the delivery: a key-down the listener handed over late still
    // gets its whole hold, so Esc tapped during a stall never stops anything.
    mainQueue_->postAfter(holdNanos_, [weak = weak_from_this(), generation, pressTimeNanos] {
        if (const auto self = weak.lock()) self->complete(generation, pressTimeNanos);
    });
}

void EscHold::cancel() {
    std::lock_guard lock(mutex_);
    if (!pending_) return;
    pending_ = false;
    ++generation_;
}

void EscHold::complete(std::uint64_t generation, std::uint64_t pressTimeNanos) {
    {
        std::lock_guard lock(mutex_);
        if (!pending_ || generation != generation_) return;
        pending_ = false;
    }
    handler_(pressTimeNanos);
}

}  // namespace brevanor
