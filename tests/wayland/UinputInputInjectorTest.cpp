#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <tuple>

#include "base/time/MonotonicClock.h"
#include "base/values/ModifierKeys.h"
#include "core/playback/EventPoster.h"
#include "platform/fake/FakeDisplayService.h"
#include "platform/wayland/UinputInputInjector.h"
#include "platform/x11/X11KeyCodeMap.h"
#include "tests/wayland/FakeUinputNode.h"

namespace brevanor {
namespace {

using Type = SyntheticInput::Type;
using Event = std::tuple<int, int, int>;  // type, code, value, as the compositor reads them

const Event kSyn{EV_SYN, SYN_REPORT, 0};

// `events`, each in a report of its own.
std::vector<Event> eachReported(std::initializer_list<Event> events) {
    std::vector<Event> reported;
    for (const Event& event : events) reported.insert(reported.end(), {event, kSyn});
    return reported;
}

DisplayInfo display(double x, double y, double width, double height) { return {1, {x, y, width, height}, 1.0}; }

// The neutral code of a kernel key code.
std::uint16_t neutral(int kernelCode) {
    return X11KeyCodeMap::neutralKeyCode(static_cast<std::uint8_t>(kernelCode + 8));
}

SyntheticInput pointer(Type type, double x, double y, MouseButton button = MouseButton::left, std::int64_t number = 0) {
    return {.type = type, .x = x, .y = y, .button = button, .buttonNumber = number};
}
SyntheticInput key(Type type, std::uint16_t neutralCode, bool isDown = false) {
    return {.type = type, .keyCode = neutralCode, .keyIsDown = isDown};
}
SyntheticInput wheel(std::int32_t vertical, std::int32_t horizontal, bool pixels) {
    return {.type = Type::scroll, .pixelUnits = pixels, .wheelVertical = vertical, .wheelHorizontal = horizontal};
}

class UinputInputInjectorTest : public ::testing::Test {
protected:
    std::unique_ptr<UinputInputInjector> make() {
        return std::make_unique<UinputInputInjector>(std::make_unique<FakeUinputNode>(node), displays,
                                                     std::chrono::nanoseconds(0));
    }

    // The events received since the last call, of `type` only when one is given.
    std::vector<Event> received(std::optional<int> type = std::nullopt) {
        std::vector<Event> events;
        for (std::size_t i = seen; i < node->received.size(); ++i) {
            const input_event& event = node->received[i];
            if (!type || event.type == *type) events.emplace_back(event.type, event.code, event.value);
        }
        seen = node->received.size();
        return events;
    }

    std::shared_ptr<FakeUinputNode::State> node = std::make_shared<FakeUinputNode::State>();
    std::shared_ptr<FakeDisplayService> displays =
        std::make_shared<FakeDisplayService>(std::vector{display(0, 0, 1920, 1080)});
    std::unique_ptr<UinputInputInjector> injector = make();
    std::size_t seen = 0;
};

TEST_F(UinputInputInjectorTest, MakesOneAbsolutePointerAndKeyboardOverTheLayout) {
    // A second output beside the first and higher: the box runs from y -200 to 1080.
    displays->displays = {display(0, 0, 1920, 1080), display(1920, -200, 1280, 1024)};
    EXPECT_EQ(node->devicesMade, 0) << "nothing is made before it is needed";
    injector->prepareToPost();
    injector->prepareToPost();
    ASSERT_EQ(node->devicesMade, 1);
    ASSERT_TRUE(node->setup);
    EXPECT_STREQ(node->setup->name, UinputInputInjector::kDeviceName);
    EXPECT_EQ(node->setup->id.bustype, BUS_VIRTUAL);
    // No EV_REP: the kernel would repeat held keys on top of the compositor's own repeat.
    EXPECT_EQ(node->eventTypes, (std::set<int>{EV_SYN, EV_KEY, EV_REL, EV_ABS}));
    EXPECT_EQ(node->absoluteAxes, (std::set<int>{ABS_X, ABS_Y}));
    EXPECT_EQ(std::pair(node->axes[ABS_X].minimum, node->axes[ABS_X].maximum), std::pair(0, 3199));
    EXPECT_EQ(std::pair(node->axes[ABS_Y].minimum, node->axes[ABS_Y].maximum), std::pair(0, 1279));
    EXPECT_EQ(node->relativeAxes, (std::set<int>{REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}));
    for (int button : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA}) EXPECT_TRUE(node->keys.contains(button));
    // Nothing of a joystick's, a touchscreen's or a tablet pen's, which udev would take the device for.
    EXPECT_LE(*node->keys.rbegin(), BTN_TASK);

    // Every kernel key code a recording can carry reaches the compositor.
    int typed = 0;
    for (int xKeyCode = 9; xKeyCode <= 255; ++xKeyCode) {
        const auto code = neutral(xKeyCode - 8);
        ASSERT_TRUE(injector->post(key(Type::keyDown, code)) && injector->post(key(Type::keyUp, code))) << xKeyCode;
        typed += received(EV_KEY) == std::vector<Event>{{EV_KEY, xKeyCode - 8, 1}, {EV_KEY, xKeyCode - 8, 0}};
    }
    EXPECT_EQ(typed, 247);
}

TEST_F(UinputInputInjectorTest, PointerActionsLandOnTheirLayoutPixel) {
    // An output left of the origin: layout pixel x is axis value x + 1280.
    displays->displays = {display(-1280, 0, 1280, 1024), display(0, 0, 1920, 1080)};
    ASSERT_TRUE(injector->post(pointer(Type::mouseDown, 100, 200)));
    ASSERT_TRUE(injector->post(pointer(Type::mouseUp, 100, 200)));
    EXPECT_EQ(received(), (std::vector<Event>{{EV_ABS, ABS_X, 1380},
                                              {EV_ABS, ABS_Y, 200},
                                              kSyn,
                                              {EV_KEY, BTN_LEFT, 1},
                                              kSyn,
                                              {EV_ABS, ABS_X, 1380},
                                              {EV_ABS, ABS_Y, 200},
                                              kSyn,
                                              {EV_KEY, BTN_LEFT, 0},
                                              kSyn}));

    // Off the layout the pointer stops at its edge.
    ASSERT_TRUE(injector->post(pointer(Type::mouseMoved, 5000, -10)));
    ASSERT_TRUE(injector->post(pointer(Type::mouseDragged, -1280, 1079.6)));
    EXPECT_EQ(
        received(EV_ABS),
        (std::vector<Event>{{EV_ABS, ABS_X, 3199}, {EV_ABS, ABS_Y, 0}, {EV_ABS, ABS_X, 0}, {EV_ABS, ABS_Y, 1079}}));
    EXPECT_EQ(injector->cursorPosition(), (Point{-1280, 1079.6}));

    // Further buttons are the middle one with their number.
    const struct {
        MouseButton button;
        std::int64_t number;
        int expected;
    } kButtons[] = {{MouseButton::right, 1, BTN_RIGHT},
                    {MouseButton::middle, 2, BTN_MIDDLE},
                    {MouseButton::middle, 3, BTN_SIDE},
                    {MouseButton::middle, 4, BTN_EXTRA}};
    for (const auto& button : kButtons) {
        ASSERT_TRUE(injector->post(pointer(Type::mouseDown, 0, 0, button.button, button.number)));
        ASSERT_TRUE(injector->post(pointer(Type::mouseUp, 0, 0, button.button, button.number)));
        EXPECT_EQ(received(EV_KEY), (std::vector<Event>{{EV_KEY, button.expected, 1}, {EV_KEY, button.expected, 0}}));
    }
    EXPECT_FALSE(injector->post(pointer(Type::mouseDown, 0, 0, MouseButton::middle, 9))) << "no such button";
    EXPECT_TRUE(received().empty());
}

TEST_F(UinputInputInjectorTest, ScrollsAsAHighResolutionWheel) {
    // Lines are clicks, positive upwards and leftwards; the kernel's wheel turns up and to the right.
    ASSERT_TRUE(injector->post(wheel(2, 0, false)));
    EXPECT_EQ(received(EV_REL), (std::vector<Event>{{EV_REL, REL_WHEEL_HI_RES, 240}, {EV_REL, REL_WHEEL, 2}}));
    ASSERT_TRUE(injector->post(wheel(0, 1, false)));
    EXPECT_EQ(received(EV_REL), (std::vector<Event>{{EV_REL, REL_HWHEEL_HI_RES, -120}, {EV_REL, REL_HWHEEL, -1}}));
    // Pixels are eighths of a click; the classic wheel moves once they add up to one.
    ASSERT_TRUE(injector->post(wheel(-6, 0, true)));
    EXPECT_EQ(received(EV_REL), (std::vector<Event>{{EV_REL, REL_WHEEL_HI_RES, -48}}));
    ASSERT_TRUE(injector->post(wheel(-10, 0, true)));
    EXPECT_EQ(received(EV_REL), (std::vector<Event>{{EV_REL, REL_WHEEL_HI_RES, -80}, {EV_REL, REL_WHEEL, -1}}));
    // A huge value is cut to what the kernel carries.
    ASSERT_TRUE(injector->post(wheel(INT_MIN, 0, false)));
    EXPECT_EQ(received(EV_REL).front(), (Event{EV_REL, REL_WHEEL_HI_RES, INT_MIN}));
}

TEST_F(UinputInputInjectorTest, KeysArriveInOrderWithTheirCodes) {
    const std::uint16_t a = neutral(KEY_A), b = neutral(KEY_B), shift = neutral(KEY_LEFTSHIFT);
    for (const auto& input :
         {key(Type::keyDown, a), key(Type::keyUp, a), key(Type::flagsChanged, shift, true), key(Type::keyDown, b),
          key(Type::keyUp, b), key(Type::flagsChanged, shift, false), key(Type::keyDown, neutral(KEY_ENTER))}) {
        ASSERT_TRUE(injector->post(input));
    }
    EXPECT_EQ(received(), eachReported({{EV_KEY, KEY_A, 1},
                                        {EV_KEY, KEY_A, 0},
                                        {EV_KEY, KEY_LEFTSHIFT, 1},
                                        {EV_KEY, KEY_B, 1},
                                        {EV_KEY, KEY_B, 0},
                                        {EV_KEY, KEY_LEFTSHIFT, 0},
                                        {EV_KEY, KEY_ENTER, 1}}));

    // Caps Lock is brought to the state the event reports, one tap at a time.
    const auto caps = [&](bool locked) { return key(Type::flagsChanged, ModifierKeys::capsLockKeyCode, locked); };
    ASSERT_TRUE(injector->post(caps(true)) && injector->post(caps(true)) && injector->post(caps(false)));
    EXPECT_EQ(received(EV_KEY), (std::vector<Event>{{EV_KEY, KEY_CAPSLOCK, 1},
                                                    {EV_KEY, KEY_CAPSLOCK, 0},
                                                    {EV_KEY, KEY_CAPSLOCK, 1},
                                                    {EV_KEY, KEY_CAPSLOCK, 0}}));

    const std::uint64_t now = MonotonicClock::now();
    EXPECT_TRUE(injector->didRecentlyPostKeyDown(a, 5'000'000'000, now));
    EXPECT_FALSE(injector->didRecentlyPostKeyDown(neutral(KEY_C), 5'000'000'000, now));
    EXPECT_FALSE(injector->didRecentlyPostKeyDown(a, 1'000'000'000, now + 2'000'000'000)) << "long ago";

    constexpr std::uint16_t kFn = 63;  // no X server, and so no kernel code, reports it as a key
    EXPECT_FALSE(injector->post(key(Type::keyDown, kFn)));
    EXPECT_TRUE(received().empty());
}

TEST_F(UinputInputInjectorTest, EveryFailureFailsThePostAndAGrantLaterCounts) {
    const struct {
        const char* name;
        int openError;
        std::optional<unsigned long> failingRequest;
    } kFailures[] = {
        {"no /dev/uinput", ENOENT, {}},       {"no access", EACCES, {}},           {"a key refused", 0, UI_SET_KEYBIT},
        {"an axis refused", 0, UI_ABS_SETUP}, {"set-up refused", 0, UI_DEV_SETUP}, {"device refused", 0, UI_DEV_CREATE},
    };
    for (const auto& failure : kFailures) {
        SCOPED_TRACE(failure.name);
        node = std::make_shared<FakeUinputNode::State>();
        node->openError = failure.openError;
        node->failingRequest = failure.failingRequest;
        injector = make();
        injector->prepareToPost();
        EXPECT_FALSE(injector->post(pointer(Type::mouseDown, 1, 1)));
        EXPECT_FALSE(injector->post(key(Type::keyDown, neutral(KEY_A))));
        EXPECT_EQ(injector->canPost(), failure.openError == 0);
        EXPECT_FALSE(node->isOpen || node->deviceExists) << "nothing is left half made";

        node->openError = 0;
        node->failingRequest.reset();
        EXPECT_TRUE(injector->canPost());
        EXPECT_TRUE(injector->post(pointer(Type::mouseDown, 1, 1)));
        injector.reset();
        EXPECT_TRUE(node->held.empty());
    }

    // Without a layout the axes have no range.
    displays->displays.clear();
    injector = make();
    EXPECT_FALSE(injector->post(pointer(Type::mouseMoved, 1, 1)));

    // A short write fails the post; the key it may have pressed is still released at the end.
    displays->displays = {display(0, 0, 800, 600)};
    node->shortWrites = true;
    EXPECT_FALSE(injector->post(key(Type::keyDown, neutral(KEY_A))));
    EXPECT_TRUE(node->held.contains(KEY_A));
    injector.reset();
    EXPECT_TRUE(node->releasedByKernel.empty());
    EXPECT_TRUE(node->held.empty());
}

TEST_F(UinputInputInjectorTest, NothingStaysHeldAfterAStopALayoutChangeOrTheEnd) {
    auto shared = std::shared_ptr<UinputInputInjector>(make());
    auto poster = std::make_unique<EventPoster>(shared);
    const auto holdSome = [&] {
        poster->perform(PlaybackAction::keyDown({neutral(KEY_A), 0}));
        poster->perform(PlaybackAction::flagsChanged({neutral(KEY_LEFTCTRL), ModifierKeys::controlMask, true}));
        poster->perform(PlaybackAction::mouseDown({MouseButton::right, 1, 10, 20, 1, 0}));
        ASSERT_EQ(node->held, (std::set<int>{KEY_A, KEY_LEFTCTRL, BTN_RIGHT}));
    };
    holdSome();
    poster->releaseAll();  // what a stop does
    EXPECT_TRUE(node->held.empty());
    EXPECT_TRUE(node->deviceExists);

    holdSome();
    displays->displays = {display(0, 0, 1024, 768)};
    shared->prepareToPost();
    EXPECT_EQ(node->devicesMade, 2);
    EXPECT_EQ(node->axes[ABS_X].maximum, 1023) << "the new device spans the new layout";
    EXPECT_TRUE(node->releasedByKernel.empty()) << "released before the old device went";

    // Quitting mid-replay: the injector goes with its last owner.
    holdSome();
    poster.reset();
    shared.reset();
    EXPECT_FALSE(node->deviceExists);
    EXPECT_TRUE(node->held.empty());
    EXPECT_TRUE(node->releasedByKernel.empty()) << "released by the injector, not left to the kernel";
}

}  // namespace
}  // namespace brevanor
