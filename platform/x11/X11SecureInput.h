#pragma once

#include <mutex>
#include <string>

#include "brevanor/platform/SecureInput.h"

struct xcb_connection_t;

namespace brevanor {

// Reports whether another client holds an active grab of the keyboard: a
// password prompt, a screen locker, or an open menu of some application, all
// of which take the keyboard away from whatever has the focus.
//
// X has no request that answers this, so each call probes: it asks for the
// keyboard itself and gives it back at once. The probe is built not to disturb
// the user. Its grab window is the window that already has the focus, so the
// server sends no focus-change events to anyone (a grab elsewhere would make
// the focused application see the focus leave and return on every poll). And
// the grab and its release travel to the server in one write, without waiting
// for the answer in between, so the keyboard is ours for microseconds and no
// keystroke is taken from the user. A refusal (already grabbed, or frozen by a
// synchronous grab) means another client has the keyboard.
//
// Callable from any thread; it has a connection of its own (XCB, which lets the
// two requests be sent before the first answer is read).
class X11SecureInput final : public SecureInput {
public:
    // Needs the display name (empty: $DISPLAY). Reconnects after the server went
    // away; reads false while there is none.
    explicit X11SecureInput(std::string displayName);
    ~X11SecureInput() override;
    X11SecureInput(const X11SecureInput&) = delete;
    X11SecureInput& operator=(const X11SecureInput&) = delete;

    bool isSecureInputEnabled() override;

private:
    bool connect();

    std::string displayName_;
    std::mutex mutex_;
    xcb_connection_t* connection_ = nullptr;
    unsigned int root_ = 0;
};

}  // namespace brevanor
