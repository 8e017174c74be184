#include "platform/x11/X11Connection.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include <X11/Xlib.h>

#include "brevanor/platform/PlatformServices.h"

namespace brevanor {

namespace {

// Xlib has one error handler per process. It hands each error to the trap
// that waits for it; the registry below is what it consults.
struct ErrorRegistry {
    std::mutex mutex;
    std::vector<X11Connection::ErrorTrap*> traps;  // in the order they were set up
    std::vector<Display*> connections;             // every open X11Connection
    XErrorHandler previous = nullptr;
};

ErrorRegistry& registry() {
    static ErrorRegistry instance;
    return instance;
}

}  // namespace

// Hands an error to the trap that waits for it.
struct ErrorRouting {
    static int handleXError(Display* display, XErrorEvent* error);
};

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
    });
}

}  // namespace

X11Connection::X11Connection(const std::string& displayName) {
    initialiseXlibOnce();
    display_ = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (!display_) {
        const std::string name = displayName.empty() ? "the default X display" : "X display " + displayName;
        throw PlatformUnavailableError("cannot open " + name);
    }
    // Xlib's default for a lost server is to end the process; returning from
    // this handler instead marks the connection dead and fails its requests.
    XSetIOErrorExitHandler(
        display_, [](Display*, void* connection) { static_cast<X11Connection*>(connection)->lost_ = true; }, this);
    ErrorRegistry& errors = registry();
    std::lock_guard lock(errors.mutex);
    errors.connections.push_back(display_);
}

X11Connection::~X11Connection() {
    {
        ErrorRegistry& errors = registry();
        std::lock_guard lock(errors.mutex);
        std::erase(errors.connections, display_);
    }
    XCloseDisplay(display_);
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
