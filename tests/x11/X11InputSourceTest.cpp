#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "base/time/MonotonicClock.h"
#include "platform/x11/X11InputSource.h"
#include "tests/support/WaitUntil.h"
#include "tests/x11/TapEventCollector.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor::testing {
namespace {

using Type = TapEvent::Kind::Type;
using Kind = TapEvent::Kind;

class X11InputSourceFixture : public testing::XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped()) return;
        source_ = std::make_unique<X11InputSource>(session_->displayName(), std::make_shared<X11SyntheticJournal>());
        ASSERT_TRUE(source_->start(collector_.sink()));
    }
    void TearDown() override {
        if (source_) source_->stop();
    }
    void xdotool(const std::string& arguments) { ASSERT_EQ(session_->run("xdotool " + arguments), 0) << arguments; }
    // XTest input from the test's own client, as an outside tool posts it.
    void key(unsigned int keyCode, bool press) { XTestFakeKeyEvent(display_, keyCode, press, CurrentTime); }
    void moveTo(int x, int y) { XTestFakeMotionEvent(display_, -1, x, y, CurrentTime); }
    void button(unsigned int button, bool press) { XTestFakeButtonEvent(display_, button, press, CurrentTime); }
    void sync() { XSync(display_, False); }

    TapEventCollector collector_;
    std::unique_ptr<X11InputSource> source_;
};

class X11Listening : public X11InputSourceFixture {};
class X11ListeningConcurrency : public X11InputSourceFixture {};

// What xdotool does, as the listener converts it: in order, with the modifier
// flags, each the user's own, stamped as it came and placed where the pointer was.
TEST_F(X11Listening, ConvertsButtonsWheelsKeysAndModifiers) {
    using Seen = std::vector<std::pair<Kind, std::uint64_t>>;
    constexpr std::uint64_t shift = 0x20000, caps = 0x10000, ctrl = 0x40000, alt = 0x80000, super = 0x100000;
    const auto click = [](MouseButton button, std::int64_t number, std::int64_t count) {
        return Seen{{Kind::mouseDown(button, number, count), 0}, {Kind::mouseUp(button, number, count), 0}};
    };
    const auto wheel = [](std::int64_t x, std::int64_t y) { return Seen{{Kind::scrollWheel({x, y}), 0}}; };
    const auto down = [](std::uint16_t code, std::uint64_t flags = 0, bool repeat = false) {
        return Seen{{Kind::keyDown(code, repeat), flags}};
    };
    const auto up = [](std::uint16_t code, std::uint64_t flags = 0) { return Seen{{Kind::keyUp(code), flags}}; };
    const auto mod = [](std::uint16_t code, std::uint64_t flags = 0) {
        return Seen{{Kind::flagsChanged(code), flags}};
    };
    const auto join = [](std::initializer_list<Seen> parts) {
        Seen all;
        for (const Seen& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    const struct {
        const char* xdotool;
        Seen expected;
        std::optional<Point> at;  // of the pointer's events
    } kCases[] = {
        {"mousemove 100 200 click 1 click 3 click 2 click 8",
         join({click(MouseButton::left, 0, 1), click(MouseButton::right, 1, 1), click(MouseButton::middle, 2, 1),
               click(MouseButton::other, 3, 1)}),
         Point{100, 200}},
        // Quick clicks of one button are counted; another button starts counting again.
        {"mousemove 300 300 click --repeat 3 --delay 60 1 click 3",
         join({click(MouseButton::left, 0, 1), click(MouseButton::left, 0, 2), click(MouseButton::left, 0, 3),
               click(MouseButton::right, 1, 1)}),
         Point{300, 300}},
        // Wheel clicks become line scrolls.
        {"mousemove 50 60 click 4 click 5 click 6 click 7",
         join({wheel(0, 1), wheel(0, -1), wheel(1, 0), wheel(-1, 0)}), Point{50, 60}},
        // A second press of a held key is a repeat.
        {"keydown a keydown a keyup a", join({down(0), down(0, 0, true), up(0)}), std::nullopt},
        // The lock goes on as its key goes down the first time and off as it comes up the second time.
        {"key Caps_Lock key a key Caps_Lock key b",
         join({mod(57, caps), down(0, caps), up(0, caps), mod(57), down(11), up(11)}), std::nullopt},
        // xdotool releases a modifier twice: only the first release changes anything.
        {"key a keydown shift key b keyup shift keydown ctrl keydown alt keydown super key c keyup super keyup alt "
         "keyup ctrl",
         join({down(0), up(0), mod(56, shift), down(11, shift), up(11, shift), mod(56), mod(59, ctrl),
               mod(58, ctrl | alt), mod(55, ctrl | alt | super), down(8, ctrl | alt | super), up(8, ctrl | alt | super),
               mod(55, ctrl | alt), mod(58, ctrl), mod(59)}),
         std::nullopt},
    };
    for (const auto& expected : kCases) {
        SCOPED_TRACE(expected.xdotool);
        collector_.clear();
        const std::uint64_t before = MonotonicClock::now();
        xdotool(expected.xdotool);
        const auto events = collector_.waitForNonMoves(expected.expected.size());
        const std::uint64_t after = MonotonicClock::now();
        EXPECT_EQ(TapEventCollector::kindsAndFlags(events), expected.expected);
        std::uint64_t previous = before;
        for (const TapEvent& event : events) {
            if (expected.at) {
                EXPECT_EQ(event.location, *expected.at);
            }
            EXPECT_FALSE(event.isSynthetic) << "xdotool's input is not Brevanor's";
            EXPECT_GE(event.timestamp, previous);
            EXPECT_LE(event.timestamp, after);
            previous = event.timestamp;
        }
    }
}

// Without a window manager, a focused window that goes away hands the focus
// to the root window, and keys then go to the window under the pointer: they
// are that window's, not those of the process whose window had the focus.
TEST_F(X11Listening, KeysGoToTheWindowUnderThePointerOnceTheFocusFellBackToTheRoot) {
    const Window root = DefaultRootWindow(display_);
    const Atom pidAtom = XInternAtom(display_, "_NET_WM_PID", False);
    const auto window = [&](int x, long pid) {
        const Window created = XCreateSimpleWindow(display_, root, x, 0, 100, 100, 0, 0, 0);
        XChangeProperty(display_, created, pidAtom, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pid), 1);
        XMapWindow(display_, created);
        return created;
    };
    const Window ours = window(0, static_cast<long>(getpid()));
    window(300, 4242);
    XSync(display_, False);
    XSetInputFocus(display_, ours, RevertToParent, CurrentTime);
    XUnmapWindow(display_, ours);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    EXPECT_EQ(focus, root);

    xdotool("mousemove --sync 350 50 key a");
    const auto events = collector_.waitForNonMoves(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].targetPID, 4242);
    EXPECT_EQ(events[1].targetPID, 4242);

    XSetInputFocus(display_, PointerRoot, RevertToPointerRoot, CurrentTime);
}

TEST_F(X11Listening, AClickStaysWhereItHappenedWhenThePointerJumpsAwayAtOnce) {
    moveTo(120, 130);
    button(1, true);
    // A warp moves the pointer with no raw event, and the server writes nothing to anyone for it.
    XWarpPointer(display_, None, DefaultRootWindow(display_), 0, 0, 0, 0, 600, 500);
    XFlush(display_);  // and no round trip, which would make the server send what it recorded
    ASSERT_EQ(collector_.waitForNonMoves(1).size(), 1u);  // the press arrived with the pointer gone
    button(1, false);
    sync();
    const auto events = collector_.waitForNonMoves(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].location, (Point{120, 130}));
    EXPECT_EQ(events[1].location, (Point{600, 500}));
}

TEST_F(X11ListeningConcurrency, ABurstOf5000EventsArrivesWholeAndInOrder) {
    constexpr int kEvents = 5000;
    // Ten letter keys (X 38 to 46 and 52: a s d f g h j k l z), each pressed and released.
    const unsigned int keys[10] = {38, 39, 40, 41, 42, 43, 44, 45, 46, 52};
    for (int i = 0; i < kEvents / 2; ++i) {
        key(keys[i % 10], true);
        key(keys[i % 10], false);
    }
    sync();
    const auto events =
        collector_.waitUntil([](const auto& all) { return all.size() >= kEvents; }, std::chrono::seconds(120));
    ASSERT_EQ(events.size(), static_cast<std::size_t>(kEvents));
    const std::uint16_t neutral[10] = {0, 1, 2, 3, 5, 4, 38, 40, 37, 6};
    for (int i = 0; i < kEvents; ++i) {
        const bool press = i % 2 == 0;
        const std::uint16_t code = neutral[(i / 2) % 10];
        ASSERT_EQ(events[i].kind, press ? Kind::keyDown(code, false) : Kind::keyUp(code)) << "event " << i;
        if (i > 0) {
            ASSERT_GE(events[i].timestamp, events[i - 1].timestamp);
        }
    }
}

TEST_F(X11ListeningConcurrency, AStalledListenerStillPlacesEveryEventWhereItHappened) {
    // The sink holds the listener up on the first event until all the moves and clicks were posted.
    source_->stop();
    std::atomic<bool> stalled = false, posted = false;
    ASSERT_TRUE(source_->start([&, sink = collector_.sink()](const TapEvent& event) {
        if (!stalled.exchange(true)) waitUntil([&] { return posted.load(); });
        sink(event);
    }));
    const Point start{3, 2};
    moveTo(3, 2);  // the event the listener stalls on
    for (int i = 0; i < 40; ++i) {
        moveTo(100 + 20 * i, 80 + 15 * i);
        button(1 + 2 * (i % 2), true);
        moveTo(105 + 20 * i, 85 + 15 * i);  // a drag
        button(1 + 2 * (i % 2), false);
    }
    sync();
    posted = true;
    auto events = collector_.waitUntil([](const auto& all) { return all.size() >= 161; });
    std::erase_if(events, [&](const TapEvent& event) { return event.location == start; });
    ASSERT_EQ(events.size(), 160u);
    for (int i = 0; i < 40; ++i) {
        const Point pressedAt{100.0 + 20 * i, 80.0 + 15 * i}, releasedAt{105.0 + 20 * i, 85.0 + 15 * i};
        EXPECT_EQ(events[4 * i].location, pressedAt) << "move " << i;
        EXPECT_EQ(events[4 * i + 1].kind.type, Type::mouseDown);
        EXPECT_EQ(events[4 * i + 1].location, pressedAt) << "press " << i;
        EXPECT_EQ(events[4 * i + 2].location, releasedAt) << "drag " << i;
        EXPECT_EQ(events[4 * i + 3].kind.type, Type::mouseUp);
        EXPECT_EQ(events[4 * i + 3].location, releasedAt) << "release " << i;
    }
}

TEST_F(X11ListeningConcurrency, NothingArrivesOnceStopReturnsAndAStopCanBeUndone) {
    std::atomic<bool> posting = true;
    std::atomic<int> roundTrips = 0;
    std::thread outside([&] {
        while (posting) {
            key(38, true);
            key(38, false);
            sync();
            ++roundTrips;
        }
    });
    collector_.waitUntil([](const auto& all) { return all.size() >= 200; });
    source_->stop();
    const std::size_t atStop = collector_.events().size();
    EXPECT_GE(atStop, 200u);
    const int roundTripsAtStop = roundTrips;
    ASSERT_TRUE(waitUntil([&] { return roundTrips >= roundTripsAtStop + 100; }));  // input keeps coming
    EXPECT_EQ(collector_.events().size(), atStop);

    ASSERT_TRUE(source_->start(collector_.sink()));
    ASSERT_TRUE(source_->start(collector_.sink()));  // already running: nothing changes
    const auto events = collector_.waitUntil([&](const auto& all) { return all.size() >= atStop + 100; });
    EXPECT_GE(events.size(), atStop + 100);
    posting = false;
    outside.join();
}

}  // namespace
}  // namespace brevanor::testing
