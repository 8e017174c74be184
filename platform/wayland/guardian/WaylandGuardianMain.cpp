// brevanor-wayland-guardian WAYLAND_DISPLAY
//
// Started by Brevanor when it prepares to post through a Wayland compositor.
// Standard input is one end of a socket that only Brevanor holds; Brevanor
// tells it every button its virtual pointer presses and releases. When
// Brevanor ends in an orderly way it sends 'q' and the guardian leaves; when
// it dies any other way (SIGKILL, a crash) the guardian reads end-of-file and
// releases, through a virtual pointer of its own on the same seat, the buttons
// still held: the compositor keeps them down after their client is gone.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <bitset>
#include <cerrno>
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include "base/time/MonotonicClock.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandInputGuardian.h"
#include "platform/wayland/wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

using brevanor::GuardianProcess;
using brevanor::WaylandInputGuardian;

// Blocks until Brevanor ends: true when it died, false when it left in an
// orderly way or the compositor went away. Notes the buttons it hears of.
bool brevanorDied(brevanor::WaylandConnection& connection, std::bitset<16>& held) {
    pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {wl_display_get_fd(connection.display()), POLLIN, 0}};
    for (;;) {
        if (poll(waits, 2, -1) < 0) continue;
        if (waits[1].revents & (POLLHUP | POLLERR)) return false;
        if ((waits[1].revents & POLLIN) && wl_display_dispatch(connection.display()) < 0) return false;
        if (waits[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char message[2] = {};
            const ssize_t n = read(STDIN_FILENO, message, 1);
            if (n == 0 || (n < 0 && errno != EINTR)) return true;  // end-of-file: Brevanor is gone
            if (n < 0) continue;
            if (message[0] == GuardianProcess::kQuietExit) return false;
            if (read(STDIN_FILENO, message + 1, 1) != 1) return true;
            const auto offset = static_cast<unsigned char>(message[1]);
            if (offset < held.size()) held.set(offset, message[0] == WaylandInputGuardian::kPressed);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Signals meant for Brevanor's terminal or session must not end the guardian before it has done its work.
    signal(SIGINT, SIG_IGN);
    signal(SIGHUP, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
    try {
        brevanor::WaylandConnection connection(argc > 1 ? argv[1] : "");
        if (!connection.pointerManager() || !connection.seat()) return 1;
        // Made now, so that releasing needs nothing more of the compositor.
        zwlr_virtual_pointer_v1* pointer =
            zwlr_virtual_pointer_manager_v1_create_virtual_pointer(connection.pointerManager(), connection.seat());
        connection.roundtrip();

        std::bitset<16> held;
        if (brevanorDied(connection, held)) {
            const auto time = static_cast<std::uint32_t>(brevanor::MonotonicClock::now() / 1'000'000);
            for (std::size_t offset = 0; offset < held.size(); ++offset) {
                if (!held.test(offset)) continue;
                zwlr_virtual_pointer_v1_button(pointer, time, static_cast<std::uint32_t>(BTN_LEFT + offset),
                                               WL_POINTER_BUTTON_STATE_RELEASED);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
        }
        zwlr_virtual_pointer_v1_destroy(pointer);
        connection.roundtrip();
    } catch (const std::exception&) {
        return 1;  // no compositor: nothing can be held
    }
    return 0;
}
