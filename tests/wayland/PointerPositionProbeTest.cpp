// Where the compositor has the pointer, found by a moment's overlay: on a
// headless sway, with a full-screen client beneath that must see no click and
// keep getting the pointer afterwards.
#include <gtest/gtest.h>

#include "base/platform/SyntheticInput.h"
#include "cli/ChildProcess.h"
#include "platform/wayland/PointerPositionProbe.h"
#include "platform/wayland/WaylandInputInjector.h"
#include "tests/support/WaitUntil.h"
#include "tests/wayland/HeadlessSway.h"

namespace brevanor::testing {
namespace {

TEST(PointerPositionProbe, FindsWhereTheCompositorHasThePointerAndGivesItBack) {
    HeadlessSway sway;
    if (!sway.problem().empty()) GTEST_SKIP() << sway.problem();
    const auto client = sway.startLoggingClient(BREVANOR_WAYLAND_LOGGING_CLIENT);
    ASSERT_TRUE(client) << sway.clientLog();
    WaylandInputInjector pointer(sway.socket());
    PointerPositionProbe probe(sway.socket());
    for (const Point place : {Point{321, 456}, Point{0, 0}, Point{1279, 719}}) {
        SCOPED_TRACE(place.x);
        ASSERT_TRUE(pointer.post(SyntheticInput{.type = SyntheticInput::Type::mouseMoved, .x = place.x, .y = place.y}));
        EXPECT_EQ(probe.locate(), std::optional(place));
    }
    // The client beneath has the pointer again: a click lands on it, where the pointer is.
    pointer.post(SyntheticInput{.type = SyntheticInput::Type::mouseDown, .x = 1279, .y = 719, .clickCount = 1});
    pointer.post(SyntheticInput{.type = SyntheticInput::Type::mouseUp, .x = 1279, .y = 719, .clickCount = 1});
    EXPECT_TRUE(waitUntil([&] { return sway.clientLog().find("button 272 0 1279.00 719.00") != std::string::npos; }))
        << sway.clientLog();
}

}  // namespace
}  // namespace brevanor::testing
