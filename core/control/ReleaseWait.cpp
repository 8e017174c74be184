#include "core/control/ReleaseWait.h"

#include "base/platform/HeldInput.h"
#include "core/model/SaturatingMath.h"

namespace brevanor {

std::shared_ptr<ReleaseWait> ReleaseWait::make(std::shared_ptr<HeldInput> heldInput,
                                               std::shared_ptr<MainQueue> mainQueue, Clock now) {
    return std::shared_ptr<ReleaseWait>(new ReleaseWait(std::move(heldInput), std::move(mainQueue), std::move(now)));
}

ReleaseWait::ReleaseWait(std::shared_ptr<HeldInput> heldInput, std::shared_ptr<MainQueue> mainQueue, Clock now)
    : heldInput_(std::move(heldInput)), mainQueue_(std::move(mainQueue)), now_(std::move(now)) {}

void ReleaseWait::start(std::function<void()> released, std::function<void(bool)> onWaitingChanged) {
    cancel();
    if (!heldInput_ || !heldInput_->isAnyKeyOrButtonHeld()) {
        released();
        return;
    }
    released_ = std::move(released);
    onWaitingChanged_ = std::move(onWaitingChanged);
    waiting_ = true;
    deadline_ = saturatingAdd(now_(), maxWaitNanos);
    const std::uint64_t generation = ++generation_;
    if (onWaitingChanged_) onWaitingChanged_(true);
    // The callback may have cancelled the wait already.
    if (waiting_ && generation == generation_) {
        mainQueue_->postAfter(pollNanos, [weak = weak_from_this(), generation] {
            if (const auto self = weak.lock()) self->poll(generation);
        });
    }
}

void ReleaseWait::cancel() {
    if (!waiting_) return;
    ++generation_;
    released_ = nullptr;
    finish();
}

void ReleaseWait::poll(std::uint64_t generation) {
    if (!waiting_ || generation != generation_) return;
    if (heldInput_->isAnyKeyOrButtonHeld() && now_() < deadline_) {
        mainQueue_->postAfter(pollNanos, [weak = weak_from_this(), generation] {
            if (const auto self = weak.lock()) self->poll(generation);
        });
        return;
    }
    ++generation_;
    const auto released = std::move(released_);
    released_ = nullptr;
    finish();
    if (released) released();
}

void ReleaseWait::finish() {
    waiting_ = false;
    const auto onWaitingChanged = std::move(onWaitingChanged_);
    onWaitingChanged_ = nullptr;
    if (onWaitingChanged) onWaitingChanged(false);
}

}  // namespace brevanor
