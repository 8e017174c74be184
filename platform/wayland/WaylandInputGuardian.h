#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

namespace brevanor {

// Measured on sway: when a client dies, the compositor releases the keys its
// virtual keyboard held, but not the buttons of its virtual pointer (the seat
// keeps the button down, and the pointer drags from then on). The guardian is
// a small process ("brevanor-wayland-guardian", among the helper programs)
// with its own connection and virtual pointer. It holds one end of a socket
// whose other end only this process holds, and hears over it every press and
// release of a button: when this process ends in any way, even SIGKILL, it
// reads end-of-file and releases the buttons still held. An orderly end tells
// it to leave quietly instead.
class WaylandInputGuardian {
public:
    // The messages on the socket: two bytes, the kind and the button's offset from BTN_LEFT.
    static constexpr char kPressed = 'p';
    static constexpr char kReleased = 'r';
    static constexpr char kQuietExit = 'q';

    // Starts the guardian for `displayName` (empty: $WAYLAND_DISPLAY); nothing
    // when its program cannot be found or started.
    static std::unique_ptr<WaylandInputGuardian> launch(const std::string& displayName);
    // In the helper programs' folder of an installed tree, else beside the
    // running program or the Brevanor library; empty when nowhere.
    static std::string programPath();

    ~WaylandInputGuardian();
    WaylandInputGuardian(const WaylandInputGuardian&) = delete;
    WaylandInputGuardian& operator=(const WaylandInputGuardian&) = delete;

    void noteButton(std::uint8_t offsetFromLeft, bool pressed);

private:
    WaylandInputGuardian(pid_t pid, int socket) : pid_(pid), socket_(socket) {}

    pid_t pid_;
    int socket_;
};

}  // namespace brevanor
