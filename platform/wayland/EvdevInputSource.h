#pragma once

#include <memory>
#include <mutex>
#include <thread>

#include "base/platform/InputSource.h"

namespace brevanor {

// The system-wide listener on Wayland, where no protocol lets a client see
// other clients' input: the kernel's input devices themselves. A thread
// "com.brevanor.input-tap" reads every keyboard, mouse and touchpad udev
// knows, and those plugged in later, through libevdev. It never grabs a
// device (the input still reaches the compositor as before), takes each
// event's own kernel time stamp on CLOCK_MONOTONIC, and converts events with
// EvdevEventConverter, so positions are relative. Reading the devices needs
// the `input` group (or a uaccess rule); without it start() fails, rather
// than starting a recording that would stay empty.
class EvdevInputSource final : public InputSource {
public:
    // Which devices a listener reads: shortcuts need the keyboards only.
    enum class Devices { all, keyboards };

    explicit EvdevInputSource(Devices devices = Devices::all);
    ~EvdevInputSource() override;

    // False when no input device can be opened for reading.
    bool start(Sink sink) override;
    void stop() override;
    // Mice tell their movements only: positions are their sums.
    bool reportsScreenPositions() const override { return false; }

    // Whether the access rights let this user read at least one keyboard, mouse or touchpad.
    static bool canReadInputDevices();

private:
    struct Session;

    static void run(Session& session, const Sink& sink);

    const Devices devices_;
    std::mutex mutex_;
    std::thread thread_;
    std::shared_ptr<Session> session_;
};

}  // namespace brevanor
