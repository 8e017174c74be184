#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "base/platform/PlatformServices.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/x11/X11DisplayService.h"
#include "platform/x11/X11Ewmh.h"
#include "platform/x11/X11HeldInput.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11InputSource.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11PermissionService.h"
#include "platform/x11/X11SecureInput.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor {
namespace {

using testing::XvfbSession;

class X11DisplayServiceTest : public testing::XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped()) return;
        service_ = std::make_unique<X11DisplayService>(std::make_shared<X11Connection>(session_->displayName()));
    }

    const DisplayInfo* find(const std::vector<DisplayInfo>& displays, std::string_view name) {
        const auto found = std::find_if(displays.begin(), displays.end(), [&](const DisplayInfo& display) {
            return display.id == X11DisplayService::idForName(name);
        });
        return found == displays.end() ? nullptr : &*found;
    }

    std::unique_ptr<X11DisplayService> service_;
};

TEST_F(X11DisplayServiceTest, TheScreenIsOneDisplayUntilXRandRDefinesMonitors) {
    const DisplayInfo screen{X11DisplayService::idForName("screen"), {0, 0, 1280, 800}, 1.0};
    EXPECT_EQ(service_->activeDisplays(), std::vector{screen});

    ASSERT_EQ(session_->run("xrandr --setmonitor left 640/169x800/254+0+0 none"), 0);
    ASSERT_EQ(session_->run("xrandr --setmonitor right 640/169x800/254+640+0 none"), 0);
    auto displays = service_->activeDisplays();
    const DisplayInfo* left = find(displays, "left");
    const DisplayInfo* right = find(displays, "right");
    ASSERT_TRUE(left && right) << displays.size() << " displays";
    EXPECT_EQ(left->frame, (FrameRect{0, 0, 640, 800}));
    EXPECT_EQ(right->frame, (FrameRect{640, 0, 640, 800}));

    ASSERT_EQ(session_->run("xrandr --delmonitor left"), 0);
    displays = service_->activeDisplays();
    EXPECT_FALSE(find(displays, "left"));
    EXPECT_TRUE(find(displays, "right"));
    session_->run("xrandr --delmonitor right");
}

TEST_F(X11DisplayServiceTest, TheDesktopsFontResolutionSetsTheScale) {
    const std::string resources = "Xcursor.size:\t24\nXft.dpi:\t192\n";
    XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XSync(display_, False);
    const auto displays = service_->activeDisplays();
    ASSERT_FALSE(displays.empty());
    EXPECT_EQ(displays.front().scale, 2.0);
    XDeleteProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER);
    XSync(display_, False);
    EXPECT_EQ(service_->activeDisplays().front().scale, 1.0);
}

TEST(X11DisplayScale, OnlySensibleResolutionsCount) {
    EXPECT_EQ(X11DisplayService::scaleFromResources(""), 1.0);
    EXPECT_EQ(X11DisplayService::scaleFromResources("Xft.dpi: 144"), 1.5);
    EXPECT_EQ(X11DisplayService::scaleFromResources("Xft.antialias:\t1\n  Xft.dpi :\t96\n"), 1.0);
    EXPECT_EQ(X11DisplayService::scaleFromResources("Xft.dpi:\t0"), 1.0);
    EXPECT_EQ(X11DisplayService::scaleFromResources("Xft.dpi:\t-192"), 1.0);
    EXPECT_EQ(X11DisplayService::scaleFromResources("Xft.dpi:\t1e300"), 1.0);
    EXPECT_EQ(X11DisplayService::scaleFromResources("Xft.dpi:\tnan"), 1.0);
    EXPECT_EQ(X11DisplayService::scaleFromResources("Xft.dpi:\t192 dots"), 1.0);
    EXPECT_EQ(X11DisplayService::scaleFromResources("Other.Xft.dpi:\t192"), 1.0);
}

// Every service that keeps a connection answers "nothing" once the server is
// gone, and the program goes on: Xlib's default would end it.
TEST(X11ServerLoss, EveryServiceWorksUntilTheServerGoesAwayThenFailsSoftly) {
    auto session = std::make_unique<XvfbSession>();
    if (!session->isRunning()) GTEST_SKIP() << session->failure();
    const std::string name = session->displayName();
    auto connection = std::make_shared<X11Connection>(name);
    X11DisplayService displays(connection);
    X11Ewmh ewmh(connection);
    X11KeyboardLayout keyboard(name);
    X11SecureInput secureInput(name);
    X11PermissionService permissions(name);
    X11HotKeyService hotKeys(name, std::make_shared<ManualMainQueue>());
    X11HeldInput held(name);
    ASSERT_FALSE(displays.activeDisplays().empty());
    ASSERT_EQ(keyboard.currentInputSourceId(), "us");
    // Granted where the server has XTEST and XInput, as Xvfb does.
    ASSERT_TRUE(permissions.accessibilityGranted() && permissions.inputMonitoringGranted());
    ASSERT_TRUE(permissions.requestAccessibility() && permissions.requestInputMonitoring());
    ASSERT_EQ(hotKeys.registerHotKey(1, {15, 0x40000}), 0);
    // Another client holds a key, then a button, as a user's hands would: each is seen while it is down.
    Display* other = XOpenDisplay(name.c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(held.isAnyKeyOrButtonHeld());
    const KeyCode control = XKeysymToKeycode(other, XStringToKeysym("Control_L"));
    for (const bool down : {true, false}) {
        XTestFakeKeyEvent(other, control, down, CurrentTime);
        XSync(other, False);
        EXPECT_EQ(held.isAnyKeyOrButtonHeld(), down);
    }
    for (const bool down : {true, false}) {
        XTestFakeButtonEvent(other, 3, down, CurrentTime);
        XSync(other, False);
        EXPECT_EQ(held.isAnyKeyOrButtonHeld(), down);
    }
    XCloseDisplay(other);

    session.reset();

    EXPECT_TRUE(displays.activeDisplays().empty());
    EXPECT_FALSE(connection->isAlive());
    EXPECT_EQ(ewmh.activeWindow(), std::nullopt);
    EXPECT_EQ(ewmh.frame(ewmh.root()), std::nullopt);
    EXPECT_EQ(keyboard.currentInputSourceId(), std::nullopt);
    EXPECT_EQ(keyboard.character(0), std::nullopt);
    EXPECT_FALSE(secureInput.isSecureInputEnabled());
    EXPECT_FALSE(held.isAnyKeyOrButtonHeld());
    EXPECT_FALSE(permissions.accessibilityGranted());
    EXPECT_FALSE(permissions.inputMonitoringGranted());
    EXPECT_FALSE(permissions.requestAccessibility());
    EXPECT_EQ(hotKeys.registerHotKey(2, {35, 0x40000}), X11HotKeyService::kNoServer);
    hotKeys.unregisterHotKey(1);
}

TEST(X11ServerLoss, EveryServiceFailsSoftlyWhereNoServerAnswers) {
    EXPECT_THROW(X11Connection(":987654"), PlatformUnavailableError);
    const testing::ScopedEnvironment display("DISPLAY", ":987654");
    EXPECT_THROW(makePlatformServices(std::make_shared<ManualMainQueue>()), PlatformUnavailableError);
    X11PermissionService permissions(":987654");
    EXPECT_FALSE(permissions.accessibilityGranted());
    EXPECT_FALSE(permissions.inputMonitoringGranted());
    EXPECT_FALSE(permissions.requestAccessibility());
    EXPECT_FALSE(X11HeldInput(":987654").isAnyKeyOrButtonHeld());
    X11InputSource source(":987654", std::make_shared<X11SyntheticJournal>());
    EXPECT_FALSE(source.start([](const TapEvent&) {}));
    source.stop();  // harmless
}

}  // namespace
}  // namespace brevanor
