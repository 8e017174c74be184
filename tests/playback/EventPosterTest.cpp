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

// A move while a button is held is a drag of that button, without the press's
// flags; further buttons are made as the centre button, identified by their number.
TEST_F(EventPosterTest, ButtonsCarryTheirNumberClickCountAndFlagsAndAMoveWhileHeldDragsThem) {
    poster_.perform(press(MouseButton::other, 4, 5, 6, 0x100000));
    EXPECT_EQ(last(), (SyntheticInput{.type = Type::mouseDown,
                                      .x = 5,
                                      .y = 6,
                                      .button = MouseButton::middle,
                                      .buttonNumber = 4,
                                      .clickCount = 2,
                                      .flags = 0x100000}));
    poster_.perform(PlaybackAction::moveCursor(7, 8));
    EXPECT_EQ(
        last(),
        (SyntheticInput{.type = Type::mouseDragged, .x = 7, .y = 8, .button = MouseButton::middle, .buttonNumber = 4}));
    poster_.perform(release(MouseButton::other, 4, 5, 6));
    EXPECT_EQ(
        last(),
        (SyntheticInput{
            .type = Type::mouseUp, .x = 5, .y = 6, .button = MouseButton::middle, .buttonNumber = 4, .clickCount = 1}));
    poster_.perform(PlaybackAction::moveCursor(40, 50));
    EXPECT_EQ(last(), (SyntheticInput{.type = Type::mouseMoved, .x = 40, .y = 50}));
}

TEST_F(EventPosterTest, ScrollsUsePixelOrLineUnitsClampedTo32Bits) {
    poster_.perform(PlaybackAction::scroll({1, 2, {5, 7, 0, -30, true, 1, 2}, 0x20000}));
    EXPECT_EQ(last(), (SyntheticInput{.type = Type::scroll,
                                      .x = 1,
                                      .y = 2,
                                      .pixelUnits = true,
                                      .wheelVertical = -30,
                                      .scrollPhase = 1,
                                      .momentumPhase = 2,
                                      .flags = 0x20000}));
    poster_.perform(PlaybackAction::scroll({0, 0, {-2, 3, 99, 99, false, 0, 0}, 0}));
    EXPECT_EQ(last(), (SyntheticInput{.type = Type::scroll, .wheelVertical = 3, .wheelHorizontal = -2}));

    constexpr auto kMax64 = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin64 = std::numeric_limits<std::int64_t>::min();
    poster_.perform(PlaybackAction::scroll({0, 0, {kMin64, kMax64, 0, 0, false, 0, 0}, 0}));
    EXPECT_EQ(last(), (SyntheticInput{.type = Type::scroll,
                                      .wheelVertical = std::numeric_limits<std::int32_t>::max(),
                                      .wheelHorizontal = std::numeric_limits<std::int32_t>::min()}));
}

TEST_F(EventPosterTest, KeysAndModifiersCarryTheirFlags) {
    poster_.perform(PlaybackAction::keyDown({0xFFFF, 0x40000}));
    EXPECT_EQ(last(), (SyntheticInput{.type = Type::keyDown, .keyCode = 0xFFFF, .keyIsDown = true, .flags = 0x40000}));
    poster_.perform(PlaybackAction::flagsChanged({56, 0x20000, true}));
    EXPECT_EQ(last(), (SyntheticInput{.type = Type::flagsChanged, .keyCode = 56, .keyIsDown = true, .flags = 0x20000}));
}

// What was released already is not released again.
TEST_F(EventPosterTest, ReleaseAllLetsGoOfButtonsThenKeysThenModifiersOnceWithoutFlags) {
    poster_.perform(press(MouseButton::other, 7, 0, 0));
    poster_.perform(release(MouseButton::other, 7, 0, 0));
    poster_.perform(PlaybackAction::keyDown({12, 0}));
    poster_.perform(PlaybackAction::keyUp({12, 0}));
    poster_.perform(PlaybackAction::flagsChanged({56, 0x20000, true}));
    poster_.perform(PlaybackAction::flagsChanged({56, 0, false}));
    poster_.perform(PlaybackAction::flagsChanged({58, 0x80000, true}));
    poster_.perform(PlaybackAction::keyDown({7, 0x80000}));
    poster_.perform(press(MouseButton::left, 0, 3, 4, 0x80000));
    poster_.perform(PlaybackAction::moveCursor(30, 40));
    injector_->clear();

    poster_.releaseAll();
    poster_.releaseAll();
    EXPECT_EQ(injector_->postedInputs(), (std::vector<SyntheticInput>{
                                             {.type = Type::mouseUp, .x = 30, .y = 40, .clickCount = 1},
                                             {.type = Type::keyUp, .keyCode = 7},
                                             {.type = Type::flagsChanged, .keyCode = 58},
                                         }));
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
    // The right button, not the refused key.
    EXPECT_EQ(injector_->postedInputs(), (std::vector<SyntheticInput>{{.type = Type::mouseUp,
                                                                       .x = 9,
                                                                       .y = 9,
                                                                       .button = MouseButton::right,
                                                                       .buttonNumber = 1,
                                                                       .clickCount = 1}}));
}

}  // namespace
}  // namespace brevanor
