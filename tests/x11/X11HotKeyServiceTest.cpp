#include <gtest/gtest.h>

#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "base/time/MonotonicClock.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotKeyService.h"
#include "platform/x11/X11KeyCodeMap.h"
#include "tests/support/WaitUntil.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor {
namespace {

constexpr std::uint16_t kR = 15, kP = 35;
constexpr std::uint64_t kControl = 0x40000, kOption = 0x80000, kCapsLock = 0x10000, kFn = 0x800000;

// Runs on threads: the service's own and the test's, which drains the main queue.
class X11HotKeyServiceConcurrency : public testing::XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped()) return;
        service_ = std::make_unique<X11HotKeyService>(session_->displayName(), mainQueue_);
        service_->setPressHandler([this](std::uint32_t id, std::uint64_t time) {
            pressed_.push_back(id);
            // The press's own time, from the server: never later than this call, which comes after it.
            EXPECT_LE(time, MonotonicClock::now());
            pressTimes_.push_back(time);
        });
    }
    void key(KeySym symbol, bool down) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), down, CurrentTime);
    }
    // Types Control+Alt+`symbol` through XTest, as a user would.
    void pressChord(KeySym symbol) {
        key(XK_Control_L, true);
        key(XK_Alt_L, true);
        key(symbol, true);
        key(symbol, false);
        key(XK_Alt_L, false);
        key(XK_Control_L, false);
        XSync(display_, False);
    }
    // Waits (generously) until `count` presses reached the handler through the main queue.
    bool waitForPresses(std::size_t count) {
        return testing::waitUntil([&] {
            mainQueue_->runReady();
            return pressed_.size() >= count;
        });
    }

    std::shared_ptr<ManualMainQueue> mainQueue_ = std::make_shared<ManualMainQueue>();
    std::vector<std::uint32_t> pressed_;
    std::vector<std::uint64_t> pressTimes_;
    std::unique_ptr<X11HotKeyService> service_;  // last: gone before what its handler fills
};

TEST_F(X11HotKeyServiceConcurrency, EachPressCallsBackOnceWithItsIdOnTheMainQueue) {
    ASSERT_EQ(service_->registerHotKey(7, {kR, kControl | kOption}), 0);
    ASSERT_EQ(service_->registerHotKey(2, {kP, kControl | kOption}), 0);
    const std::uint64_t before = MonotonicClock::now();
    pressChord(XK_r);
    ASSERT_TRUE(waitForPresses(1));
    EXPECT_EQ(pressed_, std::vector<std::uint32_t>{7});
    EXPECT_GE(pressTimes_.at(0), before);

    // Caps Lock on: the lock variant of the grab still catches the chord.
    key(XK_Caps_Lock, true);
    key(XK_Caps_Lock, false);
    pressChord(XK_r);
    key(XK_Caps_Lock, true);
    key(XK_Caps_Lock, false);
    // Held: a second press without a release is what auto-repeat looks like.
    key(XK_Control_L, true);
    key(XK_Alt_L, true);
    for (int i = 0; i < 3; ++i) key(XK_r, true);
    key(XK_r, false);
    key(XK_Alt_L, false);
    key(XK_Control_L, false);
    pressChord(XK_p);  // arrives after the repeats, so they had their chance
    ASSERT_TRUE(waitForPresses(4));
    EXPECT_EQ(pressed_, (std::vector<std::uint32_t>{7, 7, 7, 2}));

    // Unregistered, the chord calls nothing back and is free for others.
    service_->unregisterHotKey(7);
    service_->unregisterHotKey(99);  // unknown ids are ignored
    pressChord(XK_r);
    pressChord(XK_p);
    ASSERT_TRUE(waitForPresses(5));
    EXPECT_EQ(pressed_, (std::vector<std::uint32_t>{7, 7, 7, 2, 2}));
    const int keyCode = XKeysymToKeycode(display_, XK_r);
    X11Connection::ErrorTrap trap(display_);
    XGrabKey(display_, keyCode, ControlMask | Mod1Mask, DefaultRootWindow(display_), False, GrabModeAsync,
             GrabModeAsync);
    EXPECT_EQ(trap.sync(), 0);
    XUngrabKey(display_, keyCode, ControlMask | Mod1Mask, DefaultRootWindow(display_));
}

TEST_F(X11HotKeyServiceConcurrency, WhileTheChordIsHeldTheKeyboardIsFreeForOthersAndAPressLeftQueuedIsDropped) {
    ASSERT_EQ(service_->registerHotKey(4, {kR, kControl | kOption}), 0);
    key(XK_Control_L, true);
    key(XK_Alt_L, true);
    key(XK_r, true);
    XSync(display_, False);
    ASSERT_TRUE(waitForPresses(1));
    // Had the service kept the grab its press started, the keys a playback types now
    // would go to the service instead of the focused window, and this grab would fail.
    EXPECT_TRUE(testing::waitUntil([&] {
        return XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
               GrabSuccess;
    }));
    XUngrabKeyboard(display_, CurrentTime);
    key(XK_r, false);
    key(XK_Alt_L, false);
    key(XK_Control_L, false);
    // The release went elsewhere, and yet the next press counts as a new one.
    pressChord(XK_r);
    ASSERT_TRUE(waitForPresses(2));
    EXPECT_EQ(pressed_, (std::vector<std::uint32_t>{4, 4}));

    // A press queued when the service goes away is dropped.
    pressChord(XK_r);
    ASSERT_TRUE(testing::waitUntil([&] { return mainQueue_->pendingCount() > 0; }));
    ASSERT_EQ(mainQueue_->pendingCount(), 1u);
    service_.reset();
    mainQueue_->runReady();
    EXPECT_EQ(pressed_, (std::vector<std::uint32_t>{4, 4}));
}

TEST_F(X11HotKeyServiceConcurrency, ACombinationHeldElsewhereIsRefusedWithAStatus) {
    const int keyCode = XKeysymToKeycode(display_, XK_r);
    XGrabKey(display_, keyCode, ControlMask | Mod1Mask, DefaultRootWindow(display_), False, GrabModeAsync,
             GrabModeAsync);
    XSync(display_, False);
    EXPECT_EQ(service_->registerHotKey(1, {kR, kControl | kOption}), X11HotKeyService::kTaken);
    XUngrabKey(display_, keyCode, ControlMask | Mod1Mask, DefaultRootWindow(display_));
    XSync(display_, False);
    // The refused registration left no partial grab behind: it can be made now.
    EXPECT_EQ(service_->registerHotKey(1, {kR, kControl | kOption}), 0);
    // Our own combination under another id, Caps Lock aside, is taken too.
    EXPECT_EQ(service_->registerHotKey(2, {kR, kControl | kOption | kCapsLock}), X11HotKeyService::kTaken);
    EXPECT_EQ(service_->registerHotKey(3, {kR, kControl | kFn}), X11HotKeyService::kUntypeableChord);
    EXPECT_EQ(service_->registerHotKey(4, {X11KeyCodeMap::kPrivateKeyCodeBase + 2, kControl}),
              X11HotKeyService::kUntypeableChord);
}

// A shortcut field reads the chord from a key event of its own window: the
// chord it stores must be the one the grab then matches.
TEST_F(X11HotKeyServiceConcurrency, AKeyEventOfAWindowReadsAsTheChordThatTriggersTheShortcut) {
    const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 40, 40, 0, 0, 0);
    XSelectInput(display_, window, KeyPressMask | StructureNotifyMask);
    XMapWindow(display_, window);
    XEvent event{};
    do XNextEvent(display_, &event);
    while (event.type != MapNotify);
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    pressChord(XK_r);
    const unsigned int r = XKeysymToKeycode(display_, XK_r);
    do XNextEvent(display_, &event);
    while (event.type != KeyPress || event.xkey.keycode != r);  // the modifiers' own presses come first

    const auto chord = service_->chordOfKeyEvent(event.xkey.keycode, event.xkey.state | LockMask);
    ASSERT_TRUE(chord.has_value());
    EXPECT_EQ(*chord, (HotkeyChord{kR, kControl | kOption | kCapsLock})) << "every flag is kept, Caps Lock too";
    EXPECT_FALSE(service_->chordOfKeyEvent(0, 0).has_value()) << "no X key code";

    ASSERT_EQ(service_->registerHotKey(3, *chord), 0);
    pressChord(XK_r);
    ASSERT_TRUE(waitForPresses(1));
    EXPECT_EQ(pressed_, std::vector<std::uint32_t>{3});
    XDestroyWindow(display_, window);
}

}  // namespace
}  // namespace brevanor
