#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "platform/x11/X11HeldInput.h"
#include "tests/x11/XvfbSession.h"

namespace brevanor {
namespace {

// Another client holds a key, then a button, as a user's hands would: the
// service sees each while it is down and nothing once it is up.
TEST(X11HeldInput, SeesKeysAndButtonsThatAnotherClientHolds) {
    testing::XvfbSession session;
    if (!session.isRunning()) GTEST_SKIP() << session.failure();
    Display* other = XOpenDisplay(session.displayName().c_str());
    ASSERT_NE(other, nullptr);
    X11HeldInput held(session.displayName());
    EXPECT_FALSE(held.isAnyKeyOrButtonHeld());

    const KeyCode control = XKeysymToKeycode(other, XStringToKeysym("Control_L"));
    XTestFakeKeyEvent(other, control, True, CurrentTime);
    XSync(other, False);
    EXPECT_TRUE(held.isAnyKeyOrButtonHeld());
    XTestFakeKeyEvent(other, control, False, CurrentTime);
    XSync(other, False);
    EXPECT_FALSE(held.isAnyKeyOrButtonHeld());

    XTestFakeButtonEvent(other, 3, True, CurrentTime);
    XSync(other, False);
    EXPECT_TRUE(held.isAnyKeyOrButtonHeld());
    XTestFakeButtonEvent(other, 3, False, CurrentTime);
    XSync(other, False);
    EXPECT_FALSE(held.isAnyKeyOrButtonHeld());
    XCloseDisplay(other);
}

}  // namespace
}  // namespace brevanor
