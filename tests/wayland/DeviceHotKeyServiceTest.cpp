#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/FakeInputSource.h"
#include "platform/fake/ManualMainQueue.h"
#include "platform/wayland/DeviceHotKeyService.h"

namespace brevanor {
namespace {

constexpr std::uint16_t kR = 15, kP = 35;
constexpr std::uint64_t kChordFlags = HotkeyChord::controlFlag | HotkeyChord::optionFlag | HotkeyChord::commandFlag;

TapEvent key(TapEvent::Kind kind, std::uint64_t flags = kChordFlags) {
    static std::uint64_t time = 0;
    return {.kind = kind, .timestamp = ++time * 1'000'000, .location = {}, .flags = flags};
}

class DeviceHotKeys : public ::testing::Test {
protected:
    void SetUp() override {
        service_.setPressHandler([this](std::uint32_t id, std::uint64_t time) {
            pressed_.push_back(id);
            pressTimes_.push_back(time);
        });
    }
    // The ids called back for `events`; each call carries the time of the key-down that made it.
    std::vector<std::uint32_t> deliver(const std::vector<TapEvent>& events) {
        for (const TapEvent& event : events) source_->push(event);
        queue_->runReady();
        for (std::uint64_t time : std::exchange(pressTimes_, {})) {
            EXPECT_TRUE(std::any_of(events.begin(), events.end(), [&](const TapEvent& event) {
                return event.timestamp == time && event.kind.type == TapEvent::Kind::Type::keyDown;
            })) << time;
        }
        return std::exchange(pressed_, {});
    }

    std::shared_ptr<FakeInputSource> source_ = std::make_shared<FakeInputSource>();
    std::shared_ptr<ManualMainQueue> queue_ = std::make_shared<ManualMainQueue>();
    DeviceHotKeyService service_{source_, queue_};
    std::vector<std::uint32_t> pressed_;
    std::vector<std::uint64_t> pressTimes_;
};

TEST_F(DeviceHotKeys, AChordCallsBackOncePerPressWithItsId) {
    ASSERT_EQ(service_.registerHotKey(1, {kR, kChordFlags}), 0);
    ASSERT_EQ(service_.registerHotKey(2, {kP, kChordFlags}), 0);
    using Kind = TapEvent::Kind;
    // Held: the kernel's repeats and a second down without an up call back once.
    EXPECT_EQ(deliver({key(Kind::keyDown(kR, false)), key(Kind::keyDown(kR, true)), key(Kind::keyDown(kR, false))}),
              std::vector<std::uint32_t>{1});
    EXPECT_EQ(deliver({key(Kind::keyUp(kR)), key(Kind::keyDown(kR, false)), key(Kind::keyDown(kP, false))}),
              (std::vector<std::uint32_t>{1, 2}));
    // Caps Lock takes no part; a missing or an extra modifier does.
    EXPECT_EQ(
        deliver({key(Kind::keyUp(kP)), key(Kind::keyDown(kP, false), kChordFlags | ModifierKeys::alphaShiftMask)}),
        std::vector<std::uint32_t>{2});
    EXPECT_EQ(deliver({key(Kind::keyUp(kP)), key(Kind::keyDown(kP, false), HotkeyChord::controlFlag),
                       key(Kind::keyDown(kP, false), kChordFlags | HotkeyChord::shiftFlag)}),
              std::vector<std::uint32_t>{});
}

TEST_F(DeviceHotKeys, ListensFromTheFirstRegistrationToTheLastAndRefusesDuplicatesOrWithoutDevices) {
    EXPECT_FALSE(source_->isRunning());
    ASSERT_EQ(service_.registerHotKey(1, {kR, kChordFlags}), 0);
    EXPECT_TRUE(source_->isRunning());
    EXPECT_EQ(service_.registerHotKey(2, {kR, kChordFlags | ModifierKeys::alphaShiftMask}),
              DeviceHotKeyService::kTaken);
    EXPECT_EQ(service_.registerHotKey(1, {kP, kChordFlags}), 0);  // the same id takes another chord
    service_.unregisterHotKey(1);
    EXPECT_FALSE(source_->isRunning());
    EXPECT_EQ(deliver({key(TapEvent::Kind::keyDown(kP, false))}), std::vector<std::uint32_t>{});

    // Without readable devices, registration says so.
    source_->setStartFails(true);
    EXPECT_EQ(service_.registerHotKey(1, {kR, kChordFlags}), DeviceHotKeyService::kCannotListen);
}

TEST_F(DeviceHotKeys, KeyEventsOfTheApplicationsXWaylandWindowsFormChords) {
    // R is the kernel's 19, X's 27; Control, Mod1 (Alt) and Mod4 (Super) are set, and Lock.
    EXPECT_EQ(service_.chordOfKeyEvent(27, 0x4 | 0x8 | 0x40 | 0x2),
              (HotkeyChord{kR, kChordFlags | ModifierKeys::alphaShiftMask}));
    EXPECT_EQ(service_.chordOfKeyEvent(7, 0), std::nullopt);
    EXPECT_EQ(service_.chordOfKeyEvent(256, 0), std::nullopt);
}

}  // namespace
}  // namespace brevanor
