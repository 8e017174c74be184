#include "platform/wayland/KernelUinputNode.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace brevanor {

namespace {

int outcome(int result) { return result < 0 ? errno : 0; }

}  // namespace

int KernelUinputNode::open() {
    // Non-blocking: a full event buffer fails a write instead of stalling the playback queue.
    fd_ = FileDescriptor(::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    return fd_.isOpen() ? 0 : errno;
}

void KernelUinputNode::close() { fd_.reset(); }

int KernelUinputNode::control(unsigned long request, int value) {
    // The kernel reads the argument as a whole unsigned long: an int in varargs leaves its upper half undefined.
    return outcome(ioctl(fd_.get(), request, static_cast<unsigned long>(value)));
}

int KernelUinputNode::setUpDevice(const uinput_setup& setup) { return outcome(ioctl(fd_.get(), UI_DEV_SETUP, &setup)); }

int KernelUinputNode::setUpAxis(const uinput_abs_setup& axis) { return outcome(ioctl(fd_.get(), UI_ABS_SETUP, &axis)); }

ssize_t KernelUinputNode::write(std::span<const input_event> events) {
    const ssize_t written = ::write(fd_.get(), events.data(), events.size_bytes());
    return written < 0 ? -errno : written;
}

}  // namespace brevanor
