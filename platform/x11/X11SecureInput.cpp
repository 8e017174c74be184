#include "platform/x11/X11SecureInput.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace brevanor {

namespace {

struct FreeDeleter {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

}  // namespace

X11SecureInput::X11SecureInput(std::string displayName) : displayName_(std::move(displayName)) {}

X11SecureInput::~X11SecureInput() {
    if (connection_) xcb_disconnect(connection_);
}

bool X11SecureInput::connect() {
    if (connection_ && !xcb_connection_has_error(connection_)) return true;
    if (connection_) xcb_disconnect(connection_);
    int screenNumber = 0;
    connection_ = xcb_connect(displayName_.empty() ? nullptr : displayName_.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_)) return false;
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) return false;
    root_ = screens.data->root;
    return true;
}

bool X11SecureInput::isSecureInputEnabled() {
    std::lock_guard lock(mutex_);
    if (!connect()) return false;
    ReplyPtr<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    if (!focus || focus->focus == XCB_NONE) return false;  // no focus: keystrokes reach no one anyway
    const xcb_window_t window = focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ? root_ : focus->focus;
    const auto grab =
        xcb_grab_keyboard(connection_, 1, window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    // Releasing a grab we did not get changes nothing, so the release need not wait for the answer.
    xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
    ReplyPtr<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(connection_, grab, nullptr));
    if (!reply) return false;  // the focused window vanished meanwhile
    return reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED || reply->status == XCB_GRAB_STATUS_FROZEN;
}

}  // namespace brevanor
