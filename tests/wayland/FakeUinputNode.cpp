#include "tests/wayland/FakeUinputNode.h"

#include <cerrno>

namespace brevanor {

int FakeUinputNode::open() {
    if (state_->openError != 0) return state_->openError;
    // A new descriptor is a new device in the making.
    state_->isOpen = true;
    state_->eventTypes = {EV_SYN};
    state_->keys.clear();
    state_->relativeAxes.clear();
    state_->absoluteAxes.clear();
    state_->setup.reset();
    state_->axes.clear();
    return 0;
}

void FakeUinputNode::close() {
    if (state_->deviceExists) goAway();
    state_->isOpen = false;
}

int FakeUinputNode::control(unsigned long request, int value) {
    if (!state_->isOpen) return EBADF;
    if (fails(request)) return EINVAL;
    const auto enable = [&](std::set<int>& bits) {
        if (state_->deviceExists) return EINVAL;  // a device's capabilities are fixed once it exists
        bits.insert(value);
        return 0;
    };
    switch (request) {
        case UI_SET_EVBIT: return enable(state_->eventTypes);
        case UI_SET_KEYBIT: return enable(state_->keys);
        case UI_SET_RELBIT: return enable(state_->relativeAxes);
        case UI_SET_ABSBIT: return enable(state_->absoluteAxes);
        case UI_DEV_CREATE:
            if (state_->deviceExists || !state_->setup) return EINVAL;
            state_->deviceExists = true;
            ++state_->devicesMade;
            return 0;
        case UI_DEV_DESTROY:
            if (!state_->deviceExists) return EINVAL;
            goAway();
            return 0;
        default: return EINVAL;
    }
}

int FakeUinputNode::setUpDevice(const uinput_setup& setup) {
    if (!state_->isOpen) return EBADF;
    if (fails(UI_DEV_SETUP) || state_->deviceExists) return EINVAL;
    state_->setup = setup;
    return 0;
}

int FakeUinputNode::setUpAxis(const uinput_abs_setup& axis) {
    if (!state_->isOpen) return EBADF;
    if (fails(UI_ABS_SETUP) || state_->deviceExists || axis.absinfo.maximum < axis.absinfo.minimum) return EINVAL;
    state_->axes[axis.code] = axis.absinfo;
    return 0;
}

ssize_t FakeUinputNode::write(std::span<const input_event> events) {
    if (!state_->deviceExists) return -EINVAL;
    const std::size_t taken = state_->shortWrites && !events.empty() ? events.size() - 1 : events.size();
    for (const input_event& event : events.first(taken)) pass(event);
    return static_cast<ssize_t>(taken * sizeof(input_event));
}

void FakeUinputNode::pass(const input_event& event) {
    if (!state_->eventTypes.contains(event.type)) return;
    const std::map<int, std::set<int>*> codes = {
        {EV_KEY, &state_->keys}, {EV_REL, &state_->relativeAxes}, {EV_ABS, &state_->absoluteAxes}};
    if (const auto it = codes.find(event.type); it != codes.end() && !it->second->contains(event.code)) return;
    if (event.type == EV_KEY) {
        // A press of a held key or a release of a free one changes nothing and reaches nobody.
        if (state_->held.contains(event.code) == (event.value != 0)) return;
        if (event.value != 0) {
            state_->held.insert(event.code);
        } else {
            state_->held.erase(event.code);
        }
    }
    state_->received.push_back(event);
}

void FakeUinputNode::goAway() {
    state_->releasedByKernel = state_->held;
    for (int code : state_->releasedByKernel) pass({{}, EV_KEY, static_cast<std::uint16_t>(code), 0});
    if (!state_->releasedByKernel.empty()) pass({{}, EV_SYN, SYN_REPORT, 0});
    state_->deviceExists = false;
}

}  // namespace brevanor
