#pragma once

#include <linux/uinput.h>
#include <sys/types.h>

#include <span>

namespace brevanor {

// The kernel's /dev/uinput as UinputInputInjector uses it: the few system
// calls that make one virtual input device and feed it events. A seam, so that
// tests can stand in for a kernel that has no uinput. Each call answers 0 on
// success and the errno value of the failure otherwise; write answers the
// bytes written, or the negated errno value.
class UinputNode {
public:
    virtual ~UinputNode() = default;

    // Opens the node for writing; no device exists before create.
    virtual int open() = 0;
    // Closes the node: the kernel destroys a device made through it, and the
    // input core releases every key and button that device still held.
    virtual void close() = 0;
    // An ioctl whose argument is a number: UI_SET_EVBIT, UI_SET_KEYBIT,
    // UI_SET_RELBIT, UI_SET_ABSBIT (the type or code to enable),
    // UI_DEV_CREATE and UI_DEV_DESTROY (no argument).
    virtual int control(unsigned long request, int value) = 0;
    virtual int setUpDevice(const uinput_setup& setup) = 0;   // UI_DEV_SETUP
    virtual int setUpAxis(const uinput_abs_setup& axis) = 0;  // UI_ABS_SETUP
    // Writes the events in one call.
    virtual ssize_t write(std::span<const input_event> events) = 0;
};

}  // namespace brevanor
