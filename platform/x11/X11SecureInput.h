#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "base/platform/SecureInput.h"
#include "platform/x11/X11Connection.h"

namespace brevanor {

// Reports whether a client holds an active grab of the keyboard: a password
// prompt, a screen locker, or an open menu, all of which take the keyboard
// away from the focused application (and from the recording).
//
// X has no request that answers this, and asking for the keyboard to see
// whether it is free would make the focused application lose and regain the
// focus on every poll. Instead the state is read from the focus events the
// server delivers: every grab and ungrab moves the keyboard focus with the
// modes NotifyGrab and NotifyUngrab, and every other focus change says in its
// mode whether a grab is in force (NotifyWhileGrabbed or NotifyNormal). A
// thread of its own watches those events, delivered to any client, through the
// RECORD extension, which only observes. A grab made while no application
// listens to focus changes goes unseen; without RECORD, or once the server
// went away, the state reads false.
//
// Callable from any thread.
class X11SecureInput final : public SecureInput {
public:
    // Needs the display name (empty: $DISPLAY), for two connections of its own.
    // Throws PlatformUnavailableError when the display cannot be opened.
    explicit X11SecureInput(const std::string& displayName);
    ~X11SecureInput() override;
    X11SecureInput(const X11SecureInput&) = delete;
    X11SecureInput& operator=(const X11SecureInput&) = delete;

    bool isSecureInputEnabled() override;

private:
    X11Connection control_;  // creates and ends the recording
    X11Connection data_;     // receives it, on the thread
    unsigned long context_ = 0;
    std::atomic<bool> grabbed_{false};
    std::thread thread_;
};

}  // namespace brevanor
