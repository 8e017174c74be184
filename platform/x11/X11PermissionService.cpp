#include "platform/x11/X11PermissionService.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include "base/platform/PlatformServices.h"

namespace brevanor {

X11PermissionService::X11PermissionService(std::string displayName) : displayName_(std::move(displayName)) {}

X11Connection* X11PermissionService::connection() {
    if (connection_ && connection_->isAlive()) return connection_.get();
    try {
        connection_ = std::make_unique<X11Connection>(displayName_);
    } catch (const PlatformUnavailableError&) {
        connection_.reset();
    }
    return connection_.get();
}

bool X11PermissionService::accessibilityGranted() {
    std::lock_guard lock(mutex_);
    X11Connection* x = connection();
    return x && x->hasExtension("XTEST") && x->isAlive();
}

bool X11PermissionService::inputMonitoringGranted() {
    std::lock_guard lock(mutex_);
    X11Connection* x = connection();
    if (!x) return false;
    if (x->hasExtension("XInputExtension")) {
        int major = 2, minor = 2;
        // The server answers with the version it speaks, at most the one asked for.
        if (XIQueryVersion(x->display(), &major, &minor) == Success && x->isAlive() &&
            (major > 2 || (major == 2 && minor >= 2))) {
            return true;
        }
    }
    return x->hasExtension("RECORD") && x->isAlive();
}

}  // namespace brevanor
