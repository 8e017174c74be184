#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "platform/x11/X11SecureInput.h"
#include "tests/support/WaitUntil.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor {
namespace {

using testing::waitUntil;  // the state arrives on the service's own thread

class X11SecureInputConcurrency : public testing::XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped()) return;
        secureInput_ = std::make_unique<X11SecureInput>(session_->displayName());
        // A focused window that listens to focus changes, as every application's does.
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 100, 0, 0, 0);
        XSelectInput(display_, window_, FocusChangeMask);
        XMapWindow(display_, window_);
        XSync(display_, False);
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        drainFocusEvents();
    }
    int drainFocusEvents() {
        XSync(display_, False);
        int count = 0;
        XEvent event;
        while (XCheckMaskEvent(display_, FocusChangeMask, &event)) ++count;
        return count;
    }
    bool grab(Window window) {
        const bool granted =
            XGrabKeyboard(display_, window, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        XSync(display_, False);
        return granted;
    }
    void ungrab() {
        XUngrabKeyboard(display_, CurrentTime);
        XSync(display_, False);
    }

    Window window_ = 0;
    std::unique_ptr<X11SecureInput> secureInput_;
};

TEST_F(X11SecureInputConcurrency, OnWhileAClientHoldsTheKeyboardAndAskingDisturbsNobody) {
    const auto on = [&] { return secureInput_->isSecureInputEnabled(); };
    const auto off = [&] { return !secureInput_->isSecureInputEnabled(); };
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(secureInput_->isSecureInputEnabled());
    EXPECT_EQ(drainFocusEvents(), 0) << "asking sent focus events";

    // A screen locker's grab (which the asking above left possible), and the focus moving during it.
    const Window other = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 300, 0, 200, 100, 0, 0, 0);
    XSelectInput(display_, other, FocusChangeMask);
    XMapWindow(display_, other);
    ASSERT_TRUE(grab(DefaultRootWindow(display_)));
    EXPECT_TRUE(waitUntil(on));
    XSetInputFocus(display_, other, RevertToParent, CurrentTime);
    XSync(display_, False);
    ungrab();
    EXPECT_TRUE(waitUntil(off));

    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    ASSERT_TRUE(grab(window_));  // a prompt that grabs on its own, focused window
    EXPECT_TRUE(waitUntil(on));
    ungrab();
    EXPECT_TRUE(waitUntil(off));
    XDestroyWindow(display_, other);
}

}  // namespace
}  // namespace brevanor
