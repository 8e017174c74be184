#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "base/time/MonotonicClock.h"
#include "cli/ChildProcess.h"
#include "core/acceptance/HarnessLogReader.h"
#include "platform/x11/X11HeldInput.h"
#include "platform/x11/X11InputInjector.h"
#include "platform/x11/X11InputSource.h"
#include "platform/x11/X11KeyCodeMap.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/WaitUntil.h"
#include "tests/x11/TapEventCollector.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor::testing {
namespace {

using Kind = TapEvent::Kind;
using Type = SyntheticInput::Type;

SyntheticInput move(double x, double y) { return {.type = Type::mouseMoved, .x = x, .y = y}; }
SyntheticInput button(Type type, double x, double y, MouseButton b = MouseButton::left, std::int64_t number = 0) {
    return {.type = type, .x = x, .y = y, .button = b, .buttonNumber = number, .clickCount = 1};
}
SyntheticInput key(Type type, std::uint16_t code) { return {.type = type, .keyCode = code}; }
SyntheticInput modifier(std::uint16_t code, bool down) {
    return {.type = Type::flagsChanged, .keyCode = code, .keyIsDown = down};
}
SyntheticInput scroll(std::int32_t vertical, std::int32_t horizontal, bool pixels, std::uint32_t phase = 0) {
    return {.type = Type::scroll,
            .x = 500,
            .y = 500,
            .pixelUnits = pixels,
            .wheelVertical = vertical,
            .wheelHorizontal = horizontal,
            .scrollPhase = phase};
}

class X11PostingFixture : public testing::XvfbSuite {
protected:
    void SetUp() override {
        XvfbSuite::SetUp();
        if (IsSkipped()) return;
        journal_ = std::make_shared<X11SyntheticJournal>();
        source_ = std::make_unique<X11InputSource>(session_->displayName(), journal_);
        injector_ = std::make_unique<X11InputInjector>(session_->displayName(), journal_);
        ASSERT_TRUE(source_->start(collector_.sink()));
    }
    void TearDown() override {
        if (source_) source_->stop();
        injector_.reset();
    }
    void post(const SyntheticInput& input) { ASSERT_TRUE(injector_->post(input)); }
    // Posts and waits until the listener has seen it, as a playback paced by
    // its recording would: positions are asked from the server as events are
    // read, so a burst would read later positions.
    void postSeen(const SyntheticInput& input) {
        post(input);
        if (input.type == Type::mouseMoved || input.type == Type::mouseDragged) {
            collector_.waitUntil([&](const auto& events) {
                return !events.empty() && events.back().location == Point{input.x, input.y};
            });
        } else {
            seen_ += input.type == Type::scroll ? std::abs(input.wheelVertical) + std::abs(input.wheelHorizontal) : 1;
            collector_.waitForNonMoves(seen_);
        }
    }

    // Whether the server holds any key or button down, whoever pressed it.
    static bool anyHeld() { return X11HeldInput(session_->displayName()).isAnyKeyOrButtonHeld(); }

    std::shared_ptr<X11SyntheticJournal> journal_;
    TapEventCollector collector_;
    std::unique_ptr<X11InputSource> source_;
    std::unique_ptr<X11InputInjector> injector_;
    std::size_t seen_ = 0;
};

class X11Posting : public X11PostingFixture {};
class X11PostingConcurrency : public X11PostingFixture {};

TEST_F(X11Posting, OwnEventsOfEveryKindReadAsSynthetic) {
    postSeen(move(300, 310));
    postSeen(button(Type::mouseDragged, 305, 315));  // a drag without a held button is a move too
    postSeen(button(Type::mouseDown, 320, 330, MouseButton::right, 1));
    postSeen(button(Type::mouseUp, 320, 330, MouseButton::right, 1));
    postSeen(key(Type::keyDown, 0));
    postSeen(key(Type::keyUp, 0));
    postSeen(scroll(1, 0, false));

    const auto events = collector_.waitForNonMoves(5);
    EXPECT_EQ(TapEventCollector::kinds(events),
              (std::vector{Kind::mouseDown(MouseButton::right, 1, 1), Kind::mouseUp(MouseButton::right, 1, 1),
                           Kind::keyDown(0, false), Kind::keyUp(0), Kind::scrollWheel({.deltaY = 1})}));
    EXPECT_EQ(events[0].location, (Point{320, 330}));
    EXPECT_EQ(events[4].location, (Point{500, 500}));
    for (const TapEvent& event : events) EXPECT_TRUE(event.isSynthetic);
    const auto all = collector_.events();
    EXPECT_GE(std::count_if(all.begin(), all.end(),
                            [](const TapEvent& e) { return e.kind == Kind::mouseMoved() && e.isSynthetic; }),
              2)
        << "the move and the drag";
}

TEST_F(X11PostingConcurrency, AnotherXTestClientsEventsAreNotOurs) {
    const unsigned int keyA = *X11KeyCodeMap::xKeyCode(0);
    const unsigned int keyS = *X11KeyCodeMap::xKeyCode(1);
    // Interleaved in a burst: our A and the S of another client (the test's own).
    for (int i = 0; i < 50; ++i) {
        post(key(Type::keyDown, 0));
        post(key(Type::keyUp, 0));
        injector_->cursorPosition();  // a round trip: ours reach the server first
        XTestFakeKeyEvent(display_, keyS, True, CurrentTime);
        XTestFakeKeyEvent(display_, keyS, False, CurrentTime);
        XSync(display_, False);
    }
    // The same key from the other client once ours have come back.
    collector_.waitForNonMoves(200);
    XTestFakeKeyEvent(display_, keyA, True, CurrentTime);
    XTestFakeKeyEvent(display_, keyA, False, CurrentTime);
    XSync(display_, False);

    const auto events = collector_.waitForNonMoves(202);
    ASSERT_EQ(events.size(), 202u);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(events[i].isSynthetic, events[i].kind.keyCode == 0) << "event " << i;
    }
    EXPECT_EQ(events[200].kind, Kind::keyDown(0, false));
    EXPECT_FALSE(events[200].isSynthetic);
    EXPECT_FALSE(events[201].isSynthetic);
}

TEST_F(X11Posting, PixelScrollsBecomeWheelClicksWithNothingLostOverAGestureAndAHugeScrollIsCapped) {
    // 4 + 4 + 4 + 4 = 16 px: one click during the gesture, the 6 px left round up to a second at its end.
    post(scroll(4, 0, true, 1));
    post(scroll(4, 0, true, 2));
    post(scroll(4, 0, true, 2));
    post(scroll(4, 0, true, 2));
    post(scroll(0, 0, true, 4));
    // -25 px to the right in one event that ends its gesture: 2.5 clicks round to 3.
    post(scroll(0, -25, true, 4));
    // A line scroll posts its lines as clicks, a few at most instead of flooding the server.
    post(scroll(-2, 0, false));
    post(scroll(std::numeric_limits<std::int32_t>::max(), 0, false));
    ASSERT_EQ(session_->run("xdotool key z"), 0);  // marks the end

    const auto up = Kind::scrollWheel({.deltaY = 1}), down = Kind::scrollWheel({.deltaY = -1});
    const auto right = Kind::scrollWheel({.deltaX = -1});
    std::vector expected{up, up, right, right, right, down, down};
    expected.insert(expected.end(), static_cast<std::size_t>(X11InputInjector::kMaxWheelClicksPerEvent), up);
    expected.insert(expected.end(), {Kind::keyDown(6, false), Kind::keyUp(6)});
    EXPECT_EQ(TapEventCollector::kinds(collector_.waitForNonMoves(expected.size())), expected);
}

TEST_F(X11Posting, KeyCodesWithoutAnXKeyFailSoftlyAndPostedKeysAreKnownByTheirCode) {
    EXPECT_FALSE(injector_->post(key(Type::keyDown, 63)));  // fn, as every code without an X key (X11KeyCodeMap)
    EXPECT_FALSE(injector_->post(button(Type::mouseDown, 1, 1, MouseButton::other, 1000)));
    // A private code stands for its X key and comes back as itself.
    const std::uint16_t print = X11KeyCodeMap::neutralKeyCode(99 + 8);
    post(key(Type::keyDown, print));
    post(key(Type::keyUp, print));
    post(key(Type::keyDown, 1));
    post(key(Type::keyUp, 1));
    // The journal, which shares this with Brevanor's other processes, knows the S it pressed.
    const std::uint64_t after = MonotonicClock::now();
    EXPECT_TRUE(injector_->didRecentlyPostKeyDown(1, 150'000'000, after));
    EXPECT_FALSE(injector_->didRecentlyPostKeyDown(2, 150'000'000, after)) << "another key";
    const auto events = collector_.waitForNonMoves(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, Kind::keyDown(print, false));
    EXPECT_EQ(events[2].kind, Kind::keyDown(1, false));
    EXPECT_FALSE(anyHeld());
}

TEST_F(X11Posting, ModifiersAndCapsLockFollowTheReportedState) {
    post(modifier(56, true));
    post(key(Type::keyDown, 0));
    post(key(Type::keyUp, 0));
    post(modifier(56, false));
    post(modifier(57, true));  // locks
    post(modifier(57, true));  // already locked: nothing
    post(key(Type::keyDown, 1));
    post(key(Type::keyUp, 1));
    post(modifier(57, false));  // unlocks
    post(key(Type::keyDown, 2));
    post(key(Type::keyUp, 2));
    constexpr std::uint64_t shift = 0x20000, caps = 0x10000;
    EXPECT_EQ(TapEventCollector::kindsAndFlags(collector_.waitForNonMoves(10)),
              (std::vector<std::pair<Kind, std::uint64_t>>{{Kind::flagsChanged(56), shift},
                                                           {Kind::keyDown(0, false), shift},
                                                           {Kind::keyUp(0), shift},
                                                           {Kind::flagsChanged(56), 0},
                                                           {Kind::flagsChanged(57), caps},
                                                           {Kind::keyDown(1, false), caps},
                                                           {Kind::keyUp(1), caps},
                                                           {Kind::flagsChanged(57), 0},
                                                           {Kind::keyDown(2, false), 0},
                                                           {Kind::keyUp(2), 0}}));
}

TEST_F(X11Posting, WhatIsHeldIsReleasedWhenTheInjectorGoesAway) {
    post(key(Type::keyDown, 0));
    post(modifier(59, true));
    post(button(Type::mouseDown, 100, 100));
    injector_->cursorPosition();
    EXPECT_TRUE(anyHeld());
    injector_.reset();  // playback stopped or the program quits
    EXPECT_FALSE(anyHeld());
}

TEST(X11Guardian, ReleasesWhatAKilledPosterHeldAsBrevanorsOwnInput) {
    XvfbSession session;
    if (!session.isRunning()) GTEST_SKIP() << session.failure();
    // A Brevanor listener of another process, as the tray application's beside a replay that dies.
    TapEventCollector collector;
    X11InputSource listener(session.displayName(), X11SyntheticJournal::forDisplay(session.displayName()));
    ASSERT_TRUE(listener.start(collector.sink()));
    TemporaryDirectory folder;
    ChildProcess::Options options;
    options.standardOutput = folder.path() / "poster.out";
    ChildProcess poster({BREVANOR_POSTING_HELPER, session.displayName()}, options);
    // It says "held <guardian's pid>" once its presses have reached the server.
    std::string said;
    ASSERT_TRUE(testing::waitUntil([&] { return (said = readFile(options.standardOutput)).ends_with('\n'); }));
    int guardian = 0;
    ASSERT_EQ(std::sscanf(said.c_str(), "held %d", &guardian), 1) << said;
    X11HeldInput held(session.displayName());
    EXPECT_TRUE(held.isAnyKeyOrButtonHeld());  // the A key and the left button

    poster.sendSignal(SIGKILL);
    ASSERT_TRUE(poster.waitFor(std::chrono::seconds(10)));
    EXPECT_TRUE(testing::waitUntil([&] { return !held.isAnyKeyOrButtonHeld(); }));
    // The guardian's releases are noted in the journal like the presses: nothing of it reads as the user's.
    const auto events = collector.waitForNonMoves(4);
    listener.stop();
    ASSERT_EQ(events.size(), 4u);
    for (const TapEvent& event : events)
        EXPECT_TRUE(event.isSynthetic) << "event type " << static_cast<int>(event.kind.type);
    // The guardian has done its work and left (a zombie until whoever inherited it reaps it).
    const auto hasLeft = [guardian] {
        std::ifstream status("/proc/" + std::to_string(guardian) + "/stat");
        std::string pid, name, state;
        return !(status >> pid >> name >> state) || state == "Z";
    };
    EXPECT_TRUE(testing::waitUntil(hasLeft)) << "guardian " << guardian << " still runs";
}

// The harness logger, run as the outside observer it is.
class HarnessLoggerProcess {
public:
    explicit HarnessLoggerProcess(const std::string& displayName)
        : process_({BREVANOR_HARNESS_LOGGER, "--display", displayName, "--output", path_.string()}, {}) {
        testing::waitUntil([&] { return std::filesystem::exists(path_); });
    }
    // The entries other than moves, once there are `count` of them.
    std::vector<HarnessLogEntry> entriesOnceThereAre(std::size_t count) {
        testing::waitUntil([&] { return read().size() >= count; }, std::chrono::seconds(20));
        return read();
    }

private:
    // The whole lines written so far: the last one may be under way.
    std::vector<HarnessLogEntry> read() const {
        const std::string text = readFile(path_);
        auto entries = HarnessLogReader().read(std::string_view(text).substr(0, text.rfind('\n') + 1));
        std::erase_if(entries, [](const HarnessLogEntry& entry) { return entry.type == "mouseMoved"; });
        return entries;
    }
    TemporaryDirectory folder_;
    const std::filesystem::path path_ = folder_.path() / "harness.jsonl";
    ChildProcess process_;
};

TEST_F(X11Posting, TheOutsideLoggerSeesExactPositionsAndKeyCodes) {
    HarnessLoggerProcess logger(session_->displayName());
    struct Seen {
        SyntheticInput input;
        std::string type;
        std::optional<std::string> button;
        std::optional<std::uint16_t> keyCode;
    };
    const Seen expected[] = {
        {button(Type::mouseDown, 123, 456), "mouseDown", "left", {}},
        {button(Type::mouseUp, 123, 456), "mouseUp", "left", {}},
        {modifier(56, true), "flagsChanged", {}, 56},
        {key(Type::keyDown, 11), "keyDown", {}, 11},  // B
        {key(Type::keyUp, 11), "keyUp", {}, 11},
        {modifier(56, false), "flagsChanged", {}, 56},
        {button(Type::mouseDown, 640, 20, MouseButton::right, 1), "mouseDown", "right", {}},
        {button(Type::mouseUp, 641, 21, MouseButton::right, 1), "mouseUp", "right", {}},
        {scroll(1, 0, false), "scroll", {}, {}},
        {key(Type::keyDown, 126), "keyDown", {}, 126},  // Up arrow
        {key(Type::keyUp, 126), "keyUp", {}, 126},
    };
    // Paced as a playback is: the logger reads positions from the server as it reads each event.
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        post(expected[i].input);
        logger.entriesOnceThereAre(i + 1);
    }
    const auto entries = logger.entriesOnceThereAre(std::size(expected));
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Seen& want = expected[i];
        EXPECT_EQ(entries[i].type, want.type) << i;
        if (!want.keyCode) {
            EXPECT_EQ((Point{entries[i].x, entries[i].y}), (Point{want.input.x, want.input.y})) << i;
        }
        EXPECT_EQ(entries[i].button, want.button) << i;
        EXPECT_EQ(entries[i].keyCode, want.keyCode) << i;
        EXPECT_TRUE(entries[i].synthetic) << i;
    }
    EXPECT_EQ(entries[3].mods, 0x20000u);  // B typed with Shift held
}

}  // namespace
}  // namespace brevanor::testing
