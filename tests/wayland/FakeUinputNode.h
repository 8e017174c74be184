#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/wayland/UinputNode.h"

namespace brevanor {

// A kernel's /dev/uinput in memory, with the input core's rules that matter
// here: a device takes only the events it was set up for, a key changes state
// only when it goes down or up for real, and a device that goes away has its
// held keys and buttons released. Fails where a test tells it to.
class FakeUinputNode final : public UinputNode {
public:
    // Shared with the test, which keeps it after the injector took the node.
    struct State {
        // What to fail: open with this errno (ENOENT: no node, EACCES: no
        // access), this ioctl with EINVAL, every write one event short.
        int openError = 0;
        std::optional<unsigned long> failingRequest;
        bool shortWrites = false;

        bool isOpen = false;
        bool deviceExists = false;
        int devicesMade = 0;
        // The set-up of the device being made, or last made.
        std::set<int> eventTypes, keys, relativeAxes, absoluteAxes;
        std::optional<uinput_setup> setup;
        std::map<int, input_absinfo> axes;
        // Every event the device's readers (the compositor) received, in order.
        std::vector<input_event> received;
        std::set<int> held;  // keys and buttons down on the device now
        // What was still held when the device went away, so that the input core released it.
        std::set<int> releasedByKernel;
    };

    explicit FakeUinputNode(std::shared_ptr<State> state) : state_(std::move(state)) {}

    int open() override;
    void close() override;
    int control(unsigned long request, int value) override;
    int setUpDevice(const uinput_setup& setup) override;
    int setUpAxis(const uinput_abs_setup& axis) override;
    ssize_t write(std::span<const input_event> events) override;

private:
    bool fails(unsigned long request) const { return state_->failingRequest == request; }
    void pass(const input_event& event);
    void goAway();

    std::shared_ptr<State> state_;
};

}  // namespace brevanor
