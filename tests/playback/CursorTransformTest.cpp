#include <gtest/gtest.h>

#include "core/playback/CursorTransform.h"

namespace brevanor {
namespace {

DisplayInfo display(std::uint32_t id, double x, double y, double width, double height) {
    return {id, {x, y, width, height}, 1.0};
}

EnvironmentSnapshot recordedOn(std::vector<DisplayInfo> displays) {
    EnvironmentSnapshot snapshot;
    snapshot.displays = std::move(displays);
    return snapshot;
}

// Each mode makes its transform, or the identity without what the mode needs;
// an offset shifts without clamping.
TEST(CursorTransform, MakeChoosesTheCaseOfTheModeOrFallsBackToIdentity) {
    const auto env = recordedOn({display(1, 0, 0, 100, 100)});
    const std::vector<DisplayInfo> current{display(2, 0, 0, 200, 200)};

    EXPECT_EQ(CursorTransform::make(CursorMode::absolute, env, current, {5, 5}, Point{1, 1}),
              CursorTransform::identity());
    EXPECT_EQ(CursorTransform::make(CursorMode::relativeToScreen, env, current, {5, 5}, Point{1, 1}),
              CursorTransform::displays(env.displays, current));
    const auto offset = CursorTransform::make(CursorMode::relativeToCursor, env, current, {400, 300}, Point{100, 100});
    EXPECT_EQ(offset, CursorTransform::offset(300, 200));
    EXPECT_EQ(offset.apply({-5000, 1e9}), (Point{-4700, 1e9 + 200}));

    EXPECT_EQ(CursorTransform::make(CursorMode::relativeToCursor, env, {}, {400, 300}, std::nullopt),
              CursorTransform::identity());
    EXPECT_EQ(CursorTransform::make(CursorMode::relativeToScreen, env, {}, {}, std::nullopt),
              CursorTransform::identity());
    EXPECT_EQ(CursorTransform::make(CursorMode::relativeToScreen, EnvironmentSnapshot::empty(), env.displays, {},
                                    std::nullopt),
              CursorTransform::identity());
}

TEST(CursorTransform, DisplaysFindTheSourceByFrameWithExclusiveRightAndBottomEdges) {
    const auto transform = CursorTransform::displays({display(1, 0, 0, 100, 100), display(2, 100, 0, 100, 100)},
                                                     {display(1, 0, 0, 1000, 1000), display(2, 5000, 0, 10, 10)});
    // x = 100 is the second display's left edge, not the first one's right edge; the first scales tenfold.
    EXPECT_EQ(transform.apply({100, 50}), (Point{5000, 5}));
    EXPECT_EQ(transform.apply({99, 50}), (Point{990, 500}));
    // Off every recorded display: relative to the first one, and not clamped.
    EXPECT_EQ(transform.apply({-10, 200}), (Point{-100, 2000}));
}

TEST(CursorTransform, DisplaysFallBackToTheSameOriginThenTheFirstDisplayOrLeavePositions) {
    const std::vector<DisplayInfo> recorded{display(1, 0, 0, 100, 100), display(2, 100, 0, 100, 100)};
    const auto sameOrigin =
        CursorTransform::displays(recorded, {display(8, 0, 0, 50, 50), display(9, 100, 0, 200, 200)});
    EXPECT_EQ(sameOrigin.apply({150, 50}), (Point{200, 100}));

    const auto neither = CursorTransform::displays(recorded, {display(8, -300, 10, 300, 300)});
    EXPECT_EQ(neither.apply({150, 50}), (Point{-150, 160}));

    // Without anything to scale by, positions stay.
    EXPECT_EQ(CursorTransform::displays({display(1, 0, 0, 0, 900)}, {display(1, 0, 0, 10, 10)}).apply({5, 6}),
              (Point{5, 6}));
    EXPECT_EQ(CursorTransform::displays({display(1, 0, 0, 100, -1)}, {display(1, 0, 0, 10, 10)}).apply({5, 6}),
              (Point{5, 6}));
    EXPECT_EQ(CursorTransform::displays({}, {display(1, 0, 0, 10, 10)}).apply({5, 6}), (Point{5, 6}));
    EXPECT_EQ(CursorTransform::displays({display(1, 0, 0, 10, 10)}, {}).apply({5, 6}), (Point{5, 6}));
}

}  // namespace
}  // namespace brevanor
