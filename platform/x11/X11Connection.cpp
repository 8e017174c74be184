#include "platform/x11/X11Connection.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include <X11/Xlib.h>

#include "base/platform/PlatformServices.h"
#include "platform/x11/X11Owned.h"

namespace brevanor {

namespace {

// Xlib has one error handler per process. It hands each error to the trap
// that waits for it; the registry below is what it consults.
struct ErrorRegistry {
    std::mutex mutex;
    std::vector<X11Connection::ErrorTrap*> traps;  // in the order they were set up
    std::vector<Display*> connections;             // every open X11Connection
    XErrorHandler previous = nullptr;
    XIOErrorHandler previousIo = nullptr;
};

ErrorRegistry& registry() {
    static ErrorRegistry instance;
    return instance;
}

}  // namespace

// Hands an error to the trap that waits for it.
struct ErrorRouting {
    static int handleXError(Display* display, XErrorEvent* error);
    static int handleIoError(Display* display);
};

// A lost server is fatal by Xlib's default. For our connections this handler
// returns, and the connection's exit handler marks it dead instead.
int ErrorRouting::handleIoError(Display* display) {
    ErrorRegistry& errors = registry();
    XIOErrorHandler previous = nullptr;
    {
        std::lock_guard lock(errors.mutex);
        if (std::find(errors.connections.begin(), errors.connections.end(), display) != errors.connections.end()) {
            return 0;
        }
        previous = errors.previousIo;
    }
    return previous ? previous(display) : 0;
}

int ErrorRouting::handleXError(Display* display, XErrorEvent* error) {
    ErrorRegistry& errors = registry();
    XErrorHandler previous = nullptr;
    {
        std::lock_guard lock(errors.mutex);
        // The latest trap on this connection that was set up before the failed request owns the error.
        for (auto it = errors.traps.rbegin(); it != errors.traps.rend(); ++it) {
            X11Connection::ErrorTrap* trap = *it;
            if (trap->display_ == display && error->serial >= trap->firstSerial_) {
                if (trap->errorCode_ == 0) trap->errorCode_ = error->error_code;
                return 0;
            }
        }
        // An untrapped error on one of our connections (a window that vanished
        // between two requests, say) must not end the program.
        if (std::find(errors.connections.begin(), errors.connections.end(), display) != errors.connections.end()) {
            return 0;
        }
        previous = errors.previous;
    }
    return previous ? previous(display, error) : 0;
}

namespace {

void initialiseXlibOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        ErrorRegistry& errors = registry();
        std::lock_guard lock(errors.mutex);
        errors.previous = XSetErrorHandler(ErrorRouting::handleXError);
        errors.previousIo = XSetIOErrorHandler(ErrorRouting::handleIoError);
    });
}

}  // namespace

X11Connection::X11Connection(const std::string& displayName) {
    initialiseXlibOnce();
    // Held here until it is registered, so that a throw on the way leaks nothing.
    std::unique_ptr<Display, X11Release<XCloseDisplay>> display(
        XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str()));
    if (!display) {
        const std::string name = displayName.empty() ? "the default X display" : "X display " + displayName;
        throw PlatformUnavailableError("cannot open " + name);
    }
    // Xlib's default for a lost server is to end the process; returning from
    // this handler instead marks the connection dead and fails its requests.
    XSetIOErrorExitHandler(
        display.get(),
        [](Display* display, void* connection) {
            // Xlib takes the display's user lock for the exit it expects; other
            // threads would wait for it forever once this handler returns.
            XUnlockDisplay(display);
            static_cast<X11Connection*>(connection)->lost_ = true;
        },
        this);
    ErrorRegistry& errors = registry();
    std::lock_guard lock(errors.mutex);
    errors.connections.push_back(display.get());
    display_ = display.release();
}

X11Connection::~X11Connection() {
    // Closing talks to the server, which may be gone: the connection stays ours
    // until it is closed, so that failure is handled like any other.
    XCloseDisplay(display_);
    ErrorRegistry& errors = registry();
    std::lock_guard lock(errors.mutex);
    // Another thread may have opened a display at the same address meanwhile; it was added after ours.
    const auto ours = std::find(errors.connections.begin(), errors.connections.end(), display_);
    if (ours != errors.connections.end()) errors.connections.erase(ours);
}

int X11Connection::fileDescriptor() const { return ConnectionNumber(display_); }

bool X11Connection::hasExtension(const char* name) const {
    int opcode = 0, event = 0, error = 0;
    return XQueryExtension(display_, name, &opcode, &event, &error);
}

X11Connection::ErrorTrap::ErrorTrap(Display* display) : display_(display), firstSerial_(NextRequest(display)) {
    ErrorRegistry& errors = registry();
    std::lock_guard lock(errors.mutex);
    errors.traps.push_back(this);
}

X11Connection::ErrorTrap::~ErrorTrap() {
    // Errors of this trap's requests still in flight must reach it, not the next one.
    XSync(display_, False);
    ErrorRegistry& errors = registry();
    std::lock_guard lock(errors.mutex);
    std::erase(errors.traps, this);
}

int X11Connection::ErrorTrap::sync() {
    XSync(display_, False);
    ErrorRegistry& errors = registry();
    std::lock_guard lock(errors.mutex);
    return errorCode_;
}

}  // namespace brevanor
