#include "core/model/EventPairing.h"

#include <algorithm>
#include <map>

namespace brevanor {

bool EventPairing::holds(const RecordingEvent& event, Held& held, bool& isPress) {
    using Kind = RecordingEvent::Kind;
    switch (event.kind()) {
        case Kind::keyDown:
        case Kind::keyUp:
            held = {Held::Kind::key, event.key().keyCode};
            isPress = event.kind() == Kind::keyDown;
            return true;
        case Kind::mouseDown:
        case Kind::mouseUp: {
            const MouseButtonEvent& button = event.mouseButton();
            const std::int64_t code = button.button == MouseButton::other ? 16 + button.buttonNumber
                                                                          : static_cast<std::int64_t>(button.button);
            held = {Held::Kind::button, code};
            isPress = event.kind() == Kind::mouseDown;
            return true;
        }
        case Kind::flagsChanged:
            held = {Held::Kind::modifier, event.flags().keyCode};
            isPress = event.flags().isDown;
            return true;
        default: return false;
    }
}

EventPairing::EventPairing(const std::vector<RecordingEvent>& events)
    : events_(events), leader_(events.size()), next_(events.size(), none) {
    // For each held key or button, the last event of its open group.
    std::map<Held, std::size_t> open;
    for (std::size_t i = 0; i < events.size(); ++i) {
        leader_[i] = i;
        Held held{};
        bool isPress = false;
        if (!holds(events[i], held, isPress)) continue;
        const auto found = open.find(held);
        if (found == open.end()) {
            if (isPress) {
                open.emplace(held, i);
            } else {
                releasesWithoutPress_.push_back(i);
            }
            continue;
        }
        // A repeat, a second press or the release joins the open group; a release closes it.
        next_[found->second] = i;
        leader_[i] = leader_[found->second];
        if (isPress) {
            found->second = i;
        } else {
            open.erase(found);
        }
    }
    for (const auto& [held, last] : open) heldAtEnd_.push_back(leader_[last]);
    std::sort(heldAtEnd_.begin(), heldAtEnd_.end());
}

std::vector<std::size_t> EventPairing::group(std::size_t index) const {
    std::vector<std::size_t> members;
    for (std::size_t i = leader_[index]; i != none; i = next_[i]) members.push_back(i);
    return members;
}

std::vector<EventPairing::Held> EventPairing::heldKeysAtEnd() const {
    std::vector<Held> keys;
    for (const std::size_t index : heldAtEnd_) {
        Held held{};
        bool isPress = false;
        holds(events_[index], held, isPress);
        keys.push_back(held);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace brevanor
