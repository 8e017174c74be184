#include <gtest/gtest.h>

#include "platform/wayland/EvdevEventConverter.h"

namespace brevanor {
namespace {

using Kind = TapEvent::Kind;

input_event kernel(std::uint16_t type, std::uint16_t code, std::int32_t value, long usec = 0) {
    return {{12, usec}, type, code, value};
}

// What a run of kernel events becomes: kind, location and flags of each TapEvent.
struct Expected {
    Kind kind;
    Point location;
    std::uint64_t flags = 0;
    friend bool operator==(const Expected&, const Expected&) = default;
};

struct Case {
    const char* name;
    std::vector<input_event> input;
    std::vector<Expected> expected;
};

class EvdevConversion : public ::testing::TestWithParam<Case> {};

TEST_P(EvdevConversion, GivesTheEventsWithTheirKernelTimes) {
    EvdevEventConverter converter;
    std::vector<Expected> got;
    for (const input_event& event : GetParam().input) {
        for (const TapEvent& tap : converter.convert(event)) {
            got.push_back({tap.kind, tap.location, tap.flags});
            EXPECT_EQ(tap.timestamp, 12'000'000'000ull + static_cast<std::uint64_t>(event.time.tv_usec) * 1000);
            EXPECT_FALSE(tap.isSynthetic);
        }
    }
    EXPECT_EQ(got, GetParam().expected);
}

constexpr std::uint64_t kShift = 0x20000, kCapsLock = 0x10000, kControl = 0x40000;

INSTANTIATE_TEST_SUITE_P(
    Sequences, EvdevConversion,
    ::testing::Values(
        Case{"KeysPressRepeatAndRelease",
             {kernel(EV_KEY, KEY_A, 1, 10), kernel(EV_SYN, SYN_REPORT, 0, 10), kernel(EV_KEY, KEY_A, 2, 20),
              kernel(EV_KEY, KEY_A, 0, 30), kernel(EV_KEY, KEY_ENTER, 1, 40)},
             {{Kind::keyDown(0, false), {}},
              {Kind::keyDown(0, true), {}},
              {Kind::keyUp(0), {}},
              {Kind::keyDown(36, false), {}}}},
        // Both Shifts share one flag: it stays while either is held.
        Case{"ModifiersKeepTheirFlagWhileAnyKeyHoldsIt",
             {kernel(EV_KEY, KEY_LEFTSHIFT, 1, 1), kernel(EV_KEY, KEY_RIGHTSHIFT, 1, 2),
              kernel(EV_KEY, KEY_LEFTSHIFT, 2, 3), kernel(EV_KEY, KEY_LEFTSHIFT, 0, 4),
              kernel(EV_KEY, KEY_RIGHTCTRL, 1, 5), kernel(EV_KEY, KEY_RIGHTSHIFT, 0, 6)},
             {{Kind::flagsChanged(56), {}, kShift},
              {Kind::flagsChanged(60), {}, kShift},
              {Kind::flagsChanged(56), {}, kShift},
              {Kind::flagsChanged(62), {}, kShift | kControl},
              {Kind::flagsChanged(60), {}, kControl}}},
        Case{"CapsLockLocksOnOnePressAndUnlocksOnTheNext",
             {kernel(EV_KEY, KEY_CAPSLOCK, 1, 1), kernel(EV_KEY, KEY_CAPSLOCK, 0, 2), kernel(EV_KEY, KEY_A, 1, 3),
              kernel(EV_KEY, KEY_CAPSLOCK, 1, 4), kernel(EV_KEY, KEY_CAPSLOCK, 0, 5)},
             {{Kind::flagsChanged(57), {}, kCapsLock},
              {Kind::keyDown(0, false), {}, kCapsLock},
              {Kind::flagsChanged(57), {}, 0}}},
        // Deltas add up from (0, 0), one move per report; presses happen where the sum stands.
        Case{"MotionIsTheSumOfDeltasAndButtonsKeepTheirNumbers",
             {kernel(EV_REL, REL_X, 5, 1), kernel(EV_REL, REL_Y, -3, 1), kernel(EV_SYN, SYN_REPORT, 0, 1),
              kernel(EV_REL, REL_X, 2, 2), kernel(EV_SYN, SYN_REPORT, 0, 2), kernel(EV_KEY, BTN_LEFT, 1, 3),
              kernel(EV_KEY, BTN_LEFT, 0, 4), kernel(EV_KEY, BTN_RIGHT, 1, 5), kernel(EV_KEY, BTN_MIDDLE, 1, 6),
              kernel(EV_KEY, BTN_SIDE, 1, 7), kernel(EV_KEY, BTN_SIDE, 0, 8)},
             {{Kind::mouseMoved(), {5, -3}},
              {Kind::mouseMoved(), {7, -3}},
              {Kind::mouseDown(MouseButton::left, 0, 1), {7, -3}},
              {Kind::mouseUp(MouseButton::left, 0, 1), {7, -3}},
              {Kind::mouseDown(MouseButton::right, 1, 1), {7, -3}},
              {Kind::mouseDown(MouseButton::middle, 2, 1), {7, -3}},
              {Kind::mouseDown(MouseButton::other, 3, 1), {7, -3}},
              {Kind::mouseUp(MouseButton::other, 3, 1), {7, -3}}}},
        Case{"WheelsScrollUpAndLeftForPositiveDeltas",
             {kernel(EV_REL, REL_WHEEL, 1, 1), kernel(EV_REL, REL_WHEEL, -2, 2), kernel(EV_REL, REL_HWHEEL, 1, 3),
              kernel(EV_SYN, SYN_REPORT, 0, 3)},
             {{Kind::scrollWheel({0, 1, 0, 0, false, 0, 0}), {}},
              {Kind::scrollWheel({0, -2, 0, 0, false, 0, 0}), {}},
              {Kind::scrollWheel({-1, 0, 0, 0, false, 0, 0}), {}}}},
        // A finger's changes of place on a touchpad are its deltas; landing again starts afresh.
        Case{"TouchpadFingerMotionCountsAsDeltas",
             {kernel(EV_KEY, BTN_TOUCH, 1, 1), kernel(EV_ABS, ABS_X, 300, 1), kernel(EV_ABS, ABS_Y, 200, 1),
              kernel(EV_SYN, SYN_REPORT, 0, 1), kernel(EV_ABS, ABS_X, 310, 2), kernel(EV_ABS, ABS_Y, 195, 2),
              kernel(EV_SYN, SYN_REPORT, 0, 2), kernel(EV_KEY, BTN_TOUCH, 0, 3), kernel(EV_SYN, SYN_REPORT, 0, 3),
              kernel(EV_KEY, BTN_TOUCH, 1, 4), kernel(EV_ABS, ABS_X, 100, 4), kernel(EV_SYN, SYN_REPORT, 0, 4),
              kernel(EV_ABS, ABS_X, 104, 5), kernel(EV_SYN, SYN_REPORT, 0, 5), kernel(EV_KEY, BTN_LEFT, 1, 6)},
             {{Kind::mouseMoved(), {10, -5}},
              {Kind::mouseMoved(), {14, -5}},
              {Kind::mouseDown(MouseButton::left, 0, 1), {14, -5}}}},
        // Codes beyond the X key range, other axes and events make nothing.
        Case{"EventsWithoutCounterpartMakeNothing",
             {kernel(EV_KEY, KEY_MACRO1, 1, 1), kernel(EV_ABS, ABS_PRESSURE, 30, 2),
              kernel(EV_KEY, BTN_TOOL_FINGER, 1, 3), kernel(EV_MSC, MSC_SCAN, 4, 4), kernel(EV_SYN, SYN_REPORT, 0, 5)},
             {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brevanor
