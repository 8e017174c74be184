// brevanor-input-guardian DISPLAY
//
// Started by Brevanor with the first synthetic event it posts. Standard input
// is one end of a socket that only Brevanor holds. When Brevanor ends in an
// orderly way it sends 'q' and the guardian leaves; when it dies any other way
// (SIGKILL, a crash, the out-of-memory killer) the guardian reads end-of-file
// and releases every key and button the XTest devices still hold, since the X
// server keeps them down after their client is gone. The user's own devices
// are never touched. Its releases are Brevanor's: they go into the journal of
// synthetic input first, so that no Brevanor listener takes them for the user's.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XTest.h>

#include "base/time/MonotonicClock.h"
#include "platform/x11/X11Owned.h"
#include "platform/x11/X11SyntheticJournal.h"

namespace {

using brevanor::X11SyntheticJournal;
using Request = X11SyntheticJournal::Request;

std::vector<XDevice*> openXTestDevices(Display* display) {
    std::vector<XDevice*> devices;
    int count = 0;
    const std::unique_ptr<XDeviceInfo[], brevanor::X11Release<XFreeDeviceList>> infos(
        XListInputDevices(display, &count));
    for (int i = 0; i < count; ++i) {
        const bool slave = infos[i].use == IsXExtensionKeyboard || infos[i].use == IsXExtensionPointer;
        if (!slave || !std::strstr(infos[i].name, "XTEST")) continue;
        if (XDevice* device = XOpenDevice(display, infos[i].id)) devices.push_back(device);
    }
    return devices;
}

// Releases what one XTest device holds. XTest input goes through the XTest
// devices of this client's master, the same ones Brevanor's requests went through.
void releaseHeld(Display* display, XDevice* device, X11SyntheticJournal& journal) {
    const std::unique_ptr<XDeviceState, brevanor::X11Release<XFreeDeviceState>> state(
        XQueryDeviceState(display, device));
    if (!state) return;
    auto* input = state->data;
    for (int i = 0; i < state->num_classes; ++i) {
        if (input->c_class == KeyClass) {
            auto* keys = reinterpret_cast<XKeyState*>(input);
            for (int code = 0; code < keys->num_keys && code < 256; ++code) {
                if (!(keys->keys[code / 8] & (1 << (code % 8)))) continue;
                journal.note(
                    {Request::keyRelease, static_cast<unsigned int>(code), 0, 0, brevanor::MonotonicClock::now()});
                XTestFakeKeyEvent(display, code, False, CurrentTime);
            }
        } else if (input->c_class == ButtonClass) {
            auto* buttons = reinterpret_cast<XButtonState*>(input);
            for (int button = 1; button < buttons->num_buttons && button < 256; ++button) {
                if (!(buttons->buttons[button / 8] & (1 << (button % 8)))) continue;
                journal.note(
                    {Request::buttonRelease, static_cast<unsigned int>(button), 0, 0, brevanor::MonotonicClock::now()});
                XTestFakeButtonEvent(display, button, False, CurrentTime);
            }
        }
        input = reinterpret_cast<XInputClass*>(reinterpret_cast<char*>(input) + input->length);
    }
}

// Blocks until Brevanor ends: true when it died, false when it left in an
// orderly way (it sent 'q') or the X server went away.
bool brevanorDied(Display* display) {
    pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {ConnectionNumber(display), POLLIN, 0}};
    for (;;) {
        if (poll(waits, 2, -1) < 0) continue;
        if (waits[1].revents & (POLLHUP | POLLERR)) return false;
        if (waits[1].revents & POLLIN) {
            // Nothing is selected, but keep the connection's queue drained.
            while (XPending(display) > 0) {
                XEvent ignored;
                XNextEvent(display, &ignored);
            }
        }
        if (waits[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char byte = 0;
            const ssize_t n = read(STDIN_FILENO, &byte, 1);
            if (n > 0 && byte == 'q') return false;
            if (n == 0 || (n < 0 && errno != EINTR)) return true;  // end-of-file: Brevanor is gone
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Signals meant for Brevanor's terminal or session must not end the guardian before it has done its work.
    signal(SIGINT, SIG_IGN);
    signal(SIGHUP, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);

    const char* displayName = argc > 1 && argv[1][0] != '\0' ? argv[1] : nullptr;
    const std::unique_ptr<Display, brevanor::X11Release<XCloseDisplay>> connection(XOpenDisplay(displayName));
    if (!connection) return 1;
    Display* display = connection.get();
    int opcode = 0, event = 0, error = 0, major = 0, minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error) ||
        !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        return 1;
    }

    const std::vector<XDevice*> devices = openXTestDevices(display);

    // Wait for Brevanor to leave, watching the X connection too: without a server there is nothing to release.
    const bool release = brevanorDied(display);
    const auto journal = X11SyntheticJournal::forDisplay(displayName ? displayName : "");
    for (XDevice* device : devices) {
        if (release) releaseHeld(display, device, *journal);
        XCloseDevice(display, device);
    }
    XSync(display, False);
    return 0;
}
