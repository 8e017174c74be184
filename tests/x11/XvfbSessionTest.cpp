#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "tests/x11/XvfbSession.h"

namespace brevanor::testing {
namespace {

TEST(XvfbSession, StartsAPrivateServerWithAWindowManager) {
    XvfbSession session({.windowManager = true});
    if (!session.isRunning()) GTEST_SKIP() << session.failure();
    Display* display = XOpenDisplay(session.displayName().c_str());
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(DisplayWidth(display, DefaultScreen(display)), 1280);
    XCloseDisplay(display);
    EXPECT_EQ(session.run("xdotool getmouselocation >/dev/null"), 0);
}

}  // namespace
}  // namespace brevanor::testing
