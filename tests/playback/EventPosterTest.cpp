#include <gtest/gtest.h>

#include <limits>

#include "core/playback/EventPoster.h"
#include "platform/fake/FakeInputInjector.h"

namespace brevanor {
namespace {

using Type = SyntheticInput::Type;

PlaybackAction press(MouseButton button, std::int64_t number, double x, double y, std::uint64_t flags = 0) {
    return PlaybackAction::mouseDown({button, number, x, y, 2, flags});
}
PlaybackAction release(MouseButton button, std::int64_t number, double x, double y) {
    return PlaybackAction::mouseUp({button, number, x, y, 1, 0});
}

class EventPosterTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeInputInjector> injector_ = std::make_shared<FakeInputInjector>();
    EventPoster poster_{injector_};

    SyntheticInput last() const { return injector_->postedInputs().back(); }
};

TEST_F(EventPosterTest, MoveWhileButtonHeldIsADragOfThatButton) {
    poster_.perform(press(MouseButton::left, 0, 10, 10));
    poster_.perform(PlaybackAction::moveCursor(20, 30));
    EXPECT_EQ(last().type, Type::mouseDragged);
    EXPECT_EQ(last().button, MouseButton::left);
    EXPECT_EQ(last().buttonNumber, 0);
    EXPECT_EQ((Point{last().x, last().y}), (Point{20, 30}));
    EXPECT_EQ(last().flags, 0u);

    poster_.perform(release(MouseButton::left, 0, 20, 30));
    poster_.perform(PlaybackAction::moveCursor(40, 50));
    EXPECT_EQ(last().type, Type::mouseMoved);
    EXPECT_EQ(last().button, MouseButton::left);

    poster_.perform(press(MouseButton::right, 1, 0, 0));
    poster_.perform(PlaybackAction::moveCursor(1, 1));
    EXPECT_EQ(last().type, Type::mouseDragged);
    EXPECT_EQ(last().button, MouseButton::right);
    EXPECT_EQ(last().buttonNumber, 1);
}

TEST_F(EventPosterTest, ButtonsCarryTheirNumberClickCountAndFlags) {
    poster_.perform(press(MouseButton::other, 4, 5, 6, 0x100000));
    SyntheticInput expected;
    expected.type = Type::mouseDown;
    expected.x = 5;
    expected.y = 6;
    expected.button = MouseButton::middle;  // made as the centre button, identified by its number
    expected.buttonNumber = 4;
    expected.clickCount = 2;
    expected.flags = 0x100000;
    EXPECT_EQ(last(), expected);

    poster_.perform(PlaybackAction::moveCursor(7, 8));
    EXPECT_EQ(last().type, Type::mouseDragged);
    EXPECT_EQ(last().buttonNumber, 4);

    poster_.perform(release(MouseButton::middle, 2, 5, 6));
    EXPECT_EQ(last().type, Type::mouseUp);
    EXPECT_EQ(last().button, MouseButton::middle);
    EXPECT_EQ(last().buttonNumber, 2);
}

TEST_F(EventPosterTest, ScrollsUsePixelOrLineUnitsClampedTo32Bits) {
    poster_.perform(PlaybackAction::scroll({1, 2, {5, 7, 0, -30, true, 1, 2}, 0x20000}));
    SyntheticInput pixels = last();
    EXPECT_EQ(pixels.type, Type::scroll);
    EXPECT_TRUE(pixels.pixelUnits);
    EXPECT_EQ(pixels.wheelVertical, -30);
    EXPECT_EQ(pixels.wheelHorizontal, 0);
    EXPECT_EQ(pixels.scrollPhase, 1u);
    EXPECT_EQ(pixels.momentumPhase, 2u);
    EXPECT_EQ(pixels.flags, 0x20000u);
    EXPECT_EQ((Point{pixels.x, pixels.y}), (Point{1, 2}));

    poster_.perform(PlaybackAction::scroll({0, 0, {-2, 3, 99, 99, false, 0, 0}, 0}));
    EXPECT_FALSE(last().pixelUnits);
    EXPECT_EQ(last().wheelVertical, 3);
    EXPECT_EQ(last().wheelHorizontal, -2);

    constexpr auto kMax64 = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin64 = std::numeric_limits<std::int64_t>::min();
    poster_.perform(PlaybackAction::scroll({0, 0, {kMin64, kMax64, 0, 0, false, 0, 0}, 0}));
    EXPECT_EQ(last().wheelVertical, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(last().wheelHorizontal, std::numeric_limits<std::int32_t>::min());
}

TEST_F(EventPosterTest, KeysAndModifiersCarryTheirFlags) {
    poster_.perform(PlaybackAction::keyDown({0xFFFF, 0x40000}));
    EXPECT_EQ(last().type, Type::keyDown);
    EXPECT_EQ(last().keyCode, 0xFFFF);
    EXPECT_EQ(last().flags, 0x40000u);

    poster_.perform(PlaybackAction::flagsChanged({56, 0x20000, true}));
    EXPECT_EQ(last().type, Type::flagsChanged);
    EXPECT_TRUE(last().keyIsDown);
    EXPECT_EQ(last().flags, 0x20000u);
}

TEST_F(EventPosterTest, ReleaseAllLetsGoOfButtonsThenKeysThenModifiersOnce) {
    poster_.perform(PlaybackAction::flagsChanged({58, 0x80000, true}));
    poster_.perform(PlaybackAction::keyDown({0, 0x80000}));
    poster_.perform(press(MouseButton::left, 0, 3, 4, 0x80000));
    poster_.perform(PlaybackAction::moveCursor(30, 40));
    injector_->clear();

    poster_.releaseAll();
    const auto released = injector_->postedInputs();
    ASSERT_EQ(released.size(), 3u);
    EXPECT_EQ(released[0].type, Type::mouseUp);
    EXPECT_EQ(released[0].button, MouseButton::left);
    EXPECT_EQ((Point{released[0].x, released[0].y}), (Point{30, 40}));
    EXPECT_EQ(released[0].clickCount, 1);
    EXPECT_EQ(released[1].type, Type::keyUp);
    EXPECT_EQ(released[1].keyCode, 0);
    EXPECT_EQ(released[2].type, Type::flagsChanged);
    EXPECT_EQ(released[2].keyCode, 58);
    EXPECT_FALSE(released[2].keyIsDown);
    for (const auto& input : released) EXPECT_EQ(input.flags, 0u);

    poster_.releaseAll();
    EXPECT_EQ(injector_->postedCount(), 3u);
}

TEST_F(EventPosterTest, ReleasedThingsAreNotReleasedAgain) {
    poster_.perform(press(MouseButton::other, 7, 0, 0));
    poster_.perform(release(MouseButton::other, 7, 0, 0));
    poster_.perform(PlaybackAction::keyDown({12, 0}));
    poster_.perform(PlaybackAction::keyUp({12, 0}));
    poster_.perform(PlaybackAction::flagsChanged({56, 0x20000, true}));
    poster_.perform(PlaybackAction::flagsChanged({56, 0, false}));
    injector_->clear();
    poster_.releaseAll();
    EXPECT_EQ(injector_->postedCount(), 0u);
}

TEST_F(EventPosterTest, RefusedEventsChangeNothingSoRefusedReleasesAreRetried) {
    injector_->failWhen([](const SyntheticInput& input) { return input.type == Type::mouseUp; });
    poster_.perform(press(MouseButton::right, 1, 9, 9));
    poster_.perform(release(MouseButton::right, 1, 9, 9));
    injector_->failWhen([](const SyntheticInput& input) { return input.type == Type::keyDown; });
    poster_.perform(PlaybackAction::keyDown({3, 0}));
    injector_->failWhen(nullptr);
    injector_->clear();

    poster_.releaseAll();
    const auto released = injector_->postedInputs();
    ASSERT_EQ(released.size(), 1u);  // the right button, not the refused key
    EXPECT_EQ(released[0].type, Type::mouseUp);
    EXPECT_EQ(released[0].buttonNumber, 1);
}

}  // namespace
}  // namespace brevanor
