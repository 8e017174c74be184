// Placing a mouse's deltas on the screen from the compositor's own places.
#include <gtest/gtest.h>

#include "platform/wayland/AnchoredPointerPath.h"

namespace brevanor {
namespace {

using Type = TapEvent::Kind::Type;

TapEvent at(TapEvent::Kind kind, double rawX, double rawY) { return TapEvent{kind, 0, Point{rawX, rawY}}; }
TapEvent move(double rawX, double rawY) { return at(TapEvent::Kind::mouseMoved(), rawX, rawY); }
TapEvent press(double rawX, double rawY, std::int64_t number = 0) {
    return at(TapEvent::Kind::mouseDown(number ? MouseButton::right : MouseButton::left, number, 1), rawX, rawY);
}
TapEvent release(double rawX, double rawY, std::int64_t number = 0) {
    return at(TapEvent::Kind::mouseUp(number ? MouseButton::right : MouseButton::left, number, 1), rawX, rawY);
}

std::vector<Point> places(const std::vector<TapEvent>& events) {
    std::vector<Point> result;
    for (const TapEvent& event : events) result.push_back(event.location);
    return result;
}

TEST(AnchoredPointerPath, WithoutAnAnchorPositionsStayTheDeltasSums) {
    AnchoredPointerPath path;
    EXPECT_EQ(places(path.place(move(5, -3))), (std::vector<Point>{{5, -3}}));
    EXPECT_EQ(places(path.place(press(5, -3))), (std::vector<Point>{{5, -3}}));
    EXPECT_FALSE(path.isAnchored());
    // A failed first ask anchors nothing, and no release asks again.
    EXPECT_TRUE(path.anchor(std::nullopt, {5, -3}).empty());
    EXPECT_FALSE(path.isAnchored());
    EXPECT_EQ(places(path.place(release(5, -3))), (std::vector<Point>{{5, -3}}));
    EXPECT_FALSE(path.wantsAnchor());
}

// The compositor accelerates: the deltas say 40 to the right, the pointer went 200.
TEST(AnchoredPointerPath, AClickLandsWhereTheCompositorHadThePointerAndADragEndsThere) {
    AnchoredPointerPath path;
    path.anchor(Point{100, 100}, {0, 0});
    EXPECT_EQ(places(path.place(move(40, 30))), (std::vector<Point>{{140, 130}}));

    // The click waits for the place asked for after its release, keys among it too.
    EXPECT_TRUE(path.place(press(40, 30)).empty());
    EXPECT_TRUE(path.buttonHeld());
    EXPECT_TRUE(path.place(at(TapEvent::Kind::keyDown(0, false), 40, 30)).empty());
    EXPECT_TRUE(path.place(release(40, 30)).empty());
    EXPECT_TRUE(path.wantsAnchor());
    EXPECT_TRUE(path.place(move(41, 30)).empty()) << "after the release, still waiting for the place";
    const auto click = path.anchor(Point{300, 200}, {41, 30});
    ASSERT_EQ(click.size(), 4u);
    EXPECT_EQ(click[0].kind.type, Type::mouseDown);
    EXPECT_EQ(click[1].kind.type, Type::keyDown);
    EXPECT_EQ(places(click), (std::vector<Point>{{299, 200}, {299, 200}, {299, 200}, {300, 200}}));
    EXPECT_FALSE(path.wantsAnchor());

    // A drag with both buttons: anchored only once both are up; it ends exactly
    // where it ended, and starts where the deltas during it say from there.
    EXPECT_TRUE(path.place(press(41, 30)).empty());
    EXPECT_TRUE(path.place(press(41, 30, 1)).empty());
    EXPECT_TRUE(path.place(move(141, 80)).empty());
    EXPECT_TRUE(path.place(release(141, 80, 1)).empty());
    EXPECT_FALSE(path.wantsAnchor());
    EXPECT_TRUE(path.place(release(141, 80)).empty());
    EXPECT_TRUE(path.wantsAnchor());
    EXPECT_EQ(places(path.anchor(Point{1000, 200}, {141, 80})),
              (std::vector<Point>{{900, 150}, {900, 150}, {1000, 200}, {1000, 200}, {1000, 200}}));

    // When the compositor cannot say, the last anchor holds.
    path.place(press(141, 80));
    path.place(release(151, 80));
    EXPECT_EQ(places(path.anchor(std::nullopt, {151, 80})), (std::vector<Point>{{1000, 200}, {1010, 200}}));
    EXPECT_EQ(places(path.place(move(152, 81))), (std::vector<Point>{{1011, 201}}));
}

TEST(AnchoredPointerPath, ResettingHandsOnWhatWaitedAndGoesBackToTheSums) {
    AnchoredPointerPath path;
    path.anchor(Point{10, 10}, {0, 0});
    path.place(press(0, 0));
    path.place(move(5, 5));
    EXPECT_EQ(places(path.reset()), (std::vector<Point>{{10, 10}, {15, 15}}));
    EXPECT_FALSE(path.isAnchored());
    EXPECT_EQ(places(path.place(release(5, 5))), (std::vector<Point>{{5, 5}}));
}

}  // namespace
}  // namespace brevanor
