#pragma once

#include <atomic>
#include <string>

struct _XDisplay;

namespace brevanor {

// One connection to the X server, owned for its whole life: opened at
// construction, closed at destruction. Each thread that waits for events
// opens its own. Xlib's thread support is switched on once, before the first
// connection of the process opens.
class X11Connection {
public:
    class ErrorTrap;

    // Opens `displayName` (empty: $DISPLAY). Throws PlatformUnavailableError when it cannot.
    explicit X11Connection(const std::string& displayName = {});
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    _XDisplay* display() const { return display_; }
    // The socket the server's replies and events arrive on (for poll()).
    int fileDescriptor() const;
    // Whether the server offers the extension `name` (e.g. "XTEST", "XInputExtension").
    bool hasExtension(const char* name) const;
    // False once the server went away (shut down, or the connection broke). Every
    // request on the connection then fails at once instead of ending the process.
    bool isAlive() const { return !lost_; }

private:
    _XDisplay* display_ = nullptr;
    std::atomic<bool> lost_{false};
};

// Catches the X errors caused by the requests one scope makes on one
// connection, instead of Xlib's default of printing them and ending the
// process. Requests made through the connection after the trap was set up and
// before sync() (or the trap's end) are its own; errors of other requests on
// our connections are dropped, and those of connections that are not ours go
// to the handler that was installed before.
//
//     X11Connection::ErrorTrap trap(connection.display());
//     XGrabKey(...);
//     if (trap.sync() == BadAccess) ...
class X11Connection::ErrorTrap {
public:
    explicit ErrorTrap(_XDisplay* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits until the server has handled every request sent so far (XSync) and
    // returns the error code of the first one of this trap that failed, 0 when none did.
    int sync();

private:
    friend struct ErrorRouting;

    _XDisplay* display_;
    unsigned long firstSerial_;
    int errorCode_ = 0;  // written by the error handler under the trap registry's lock
};

}  // namespace brevanor
