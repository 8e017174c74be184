#include "platform/wayland/AnchoredPointerPath.h"

#include <algorithm>

namespace brevanor {

Point AnchoredPointerPath::placed(Point raw) const {
    if (!offset_) return raw;
    return Point{raw.x + offset_->x, raw.y + offset_->y};
}

std::vector<TapEvent> AnchoredPointerPath::place(TapEvent event) {
    using Type = TapEvent::Kind::Type;
    const std::size_t button = static_cast<std::size_t>(std::clamp<std::int64_t>(event.kind.buttonNumber, 0, 31));
    if (event.kind.type == Type::mouseDown) buttonsHeld_.set(button);
    if (event.kind.type == Type::mouseUp) {
        buttonsHeld_.reset(button);
        if (buttonsHeld_.none()) wantsAnchor_ = true;
    }
    // Everything from a press until the anchor after its release waits, in order.
    if (!offset_ || (buttonsHeld_.none() && !wantsAnchor_ && heldBack_.empty())) {
        event.location = placed(event.location);
        return {event};
    }
    heldBack_.push_back(event);
    return {};
}

std::vector<TapEvent> AnchoredPointerPath::anchor(std::optional<Point> exact, Point raw) {
    wantsAnchor_ = false;
    if (exact) offset_ = Point{exact->x - raw.x, exact->y - raw.y};
    std::vector<TapEvent> ready;
    ready.swap(heldBack_);
    for (TapEvent& event : ready) event.location = placed(event.location);
    return ready;
}

std::vector<TapEvent> AnchoredPointerPath::reset() {
    std::vector<TapEvent> ready = anchor(std::nullopt, {});
    offset_.reset();
    return ready;
}

}  // namespace brevanor
