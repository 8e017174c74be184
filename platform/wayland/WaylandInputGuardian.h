#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/x11/GuardianProcess.h"

namespace brevanor {

// Measured on sway: when a client dies, the compositor releases the keys its
// virtual keyboard held, but not the buttons of its virtual pointer (the seat
// keeps the button down, and the pointer drags from then on). This guardian
// ("brevanor-wayland-guardian") has its own virtual pointer and hears every
// press and release of a button, so it knows what to release.
class WaylandInputGuardian {
public:
    static constexpr const char* kProgramName = "brevanor-wayland-guardian";
    // The messages on the socket: two bytes, the kind and the button's offset from BTN_LEFT.
    static constexpr char kPressed = 'p';
    static constexpr char kReleased = 'r';

    // Starts the guardian for `displayName` (empty: $WAYLAND_DISPLAY); nothing
    // when its program cannot be found or started.
    static std::unique_ptr<WaylandInputGuardian> launch(const std::string& displayName) {
        auto process = GuardianProcess::launch(kProgramName, displayName);
        return process ? std::unique_ptr<WaylandInputGuardian>(new WaylandInputGuardian(std::move(process))) : nullptr;
    }

    void noteButton(std::uint8_t offsetFromLeft, bool pressed) {
        const char message[2] = {pressed ? kPressed : kReleased, static_cast<char>(offsetFromLeft)};
        process_->send(std::string_view(message, sizeof message));
    }

private:
    explicit WaylandInputGuardian(std::unique_ptr<GuardianProcess> process) : process_(std::move(process)) {}

    std::unique_ptr<GuardianProcess> process_;
};

}  // namespace brevanor
