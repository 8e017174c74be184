#pragma once

#include <memory>
#include <mutex>
#include <thread>

#include "base/platform/InputSource.h"

namespace brevanor {

class PointerPositionProbe;

// The system-wide listener on Wayland, where no protocol lets a client see
// other clients' input: the kernel's input devices themselves. A thread
// "com.brevanor.input-tap" reads every keyboard, mouse and touchpad udev
// knows, and those plugged in later, through libevdev. It never grabs a
// device (the input still reaches the compositor as before), takes each
// event's own kernel time stamp on CLOCK_MONOTONIC, and converts events with
// EvdevEventConverter. Mice tell only their movements, so positions are
// relative, unless screen positions are tracked with a probe of the
// compositor's pointer: then they are anchored to the compositor's places at
// the start and after every click (AnchoredPointerPath). Reading the devices needs
// the `input` group (or a uaccess rule); without it start() fails, rather
// than starting a recording that would stay empty.
class EvdevInputSource final : public InputSource {
public:
    // Which devices a listener reads: shortcuts need the keyboards only.
    enum class Devices { all, keyboards };

    // `probe` finds the compositor's pointer while screen positions are tracked; none: positions stay relative.
    explicit EvdevInputSource(Devices devices = Devices::all, std::unique_ptr<PointerPositionProbe> probe = nullptr);
    ~EvdevInputSource() override;

    // False when no input device can be opened for reading.
    bool start(Sink sink) override;
    void stop() override;
    // While tracked and the compositor told where its pointer was: otherwise
    // positions are the sums of the mice's movements.
    bool reportsScreenPositions() const override;
    void trackScreenPositions(bool on) override;

    // Whether the access rights let this user read at least one keyboard, mouse or touchpad.
    static bool canReadInputDevices();

private:
    struct Session;

    static void run(Session& session);
    // Anchors the positions of `session` or lets them go.
    static void applyTracking(Session& session, bool on);

    const Devices devices_;
    const std::unique_ptr<PointerPositionProbe> probe_;
    mutable std::mutex mutex_;  // guards what follows
    bool tracking_ = false;
    std::thread thread_;
    std::shared_ptr<Session> session_;
};

}  // namespace brevanor
