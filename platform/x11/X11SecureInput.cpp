#include "platform/x11/X11SecureInput.h"

#include <future>

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include "platform/x11/X11Owned.h"

namespace brevanor {

namespace {

// What the recording thread shares with the service.
struct Watch {
    std::atomic<bool>* grabbed;
    std::promise<void> started;
    bool hasStarted = false;

    void markStarted() {
        if (hasStarted) return;
        hasStarted = true;
        started.set_value();
    }
};

// Each recorded focus event says in its mode whether a grab is in force.
void intercept(char* closure, XRecordInterceptData* data) {
    auto* watch = reinterpret_cast<Watch*>(closure);
    if (data->category == XRecordStartOfData) watch->markStarted();
    if (data->category == XRecordFromServer && data->data_len > 0) {
        const auto* event = reinterpret_cast<const xEvent*>(data->data);
        const int type = event->u.u.type & 0x7F;
        if (type == FocusIn || type == FocusOut) {
            const int mode = event->u.focus.mode;
            *watch->grabbed = mode == NotifyGrab || mode == NotifyWhileGrabbed;
        }
    }
    XRecordFreeData(data);
}

}  // namespace

X11SecureInput::X11SecureInput(const std::string& displayName) : control_(displayName), data_(displayName) {
    if (!control_.hasExtension("RECORD")) return;
    const X11Owned<XRecordRange> range(XRecordAllocRange());
    if (!range) return;
    range->delivered_events.first = FocusIn;
    range->delivered_events.last = FocusOut;
    XRecordClientSpec clients = XRecordAllClients;
    XRecordRange* ranges = range.get();
    context_ = XRecordCreateContext(control_.display(), 0, &clients, 1, &ranges, 1);
    if (!context_) return;
    // The context must exist on the server before the other connection enables it.
    XSync(control_.display(), False);
    Watch watch{&grabbed_, {}};
    auto running = watch.started.get_future();
    thread_ = std::thread([this, watch = std::move(watch)]() mutable {
        XRecordEnableContext(data_.display(), context_, intercept, reinterpret_cast<char*>(&watch));
        watch.markStarted();  // a refused recording never starts: do not keep the constructor waiting
    });
    // Grabs from here on are seen: the server confirms the recording before any of its data.
    running.wait();
}

X11SecureInput::~X11SecureInput() {
    if (context_) {
        // Ends the recording, which returns the thread from XRecordEnableContext.
        XRecordDisableContext(control_.display(), context_);
        XSync(control_.display(), False);
    }
    if (thread_.joinable()) thread_.join();
    if (context_) XRecordFreeContext(control_.display(), context_);
}

bool X11SecureInput::isSecureInputEnabled() { return grabbed_ && data_.isAlive(); }

}  // namespace brevanor
