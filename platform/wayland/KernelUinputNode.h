#pragma once

#include "core/store/FileDescriptor.h"
#include "platform/wayland/UinputNode.h"

namespace brevanor {

// /dev/uinput itself.
class KernelUinputNode final : public UinputNode {
public:
    int open() override;
    void close() override;
    int control(unsigned long request, int value) override;
    int setUpDevice(const uinput_setup& setup) override;
    int setUpAxis(const uinput_abs_setup& axis) override;
    ssize_t write(std::span<const input_event> events) override;

private:
    FileDescriptor fd_;
};

}  // namespace brevanor
