// Where the compositor has the pointer, found by a moment's overlay: on a
// headless sway, with a full-screen client beneath that must see no click and
// keep getting the pointer afterwards.
#include <gtest/gtest.h>

#include "base/platform/SyntheticInput.h"
#include "cli/ChildProcess.h"
#include "platform/wayland/PointerPositionProbe.h"
#include "platform/wayland/WaylandInputInjector.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/support/WaitUntil.h"
#include "tests/wayland/HeadlessSway.h"

namespace brevanor::testing {
namespace {

TEST(PointerPositionProbe, FindsWhereTheCompositorHasThePointerAndGivesItBack) {
    HeadlessSway sway;
    if (!sway.problem().empty()) GTEST_SKIP() << sway.problem();
    ChildProcess::Options options;
    options.environment = sway.clientEnvironment();
    options.standardOutput = sway.folder() / "client.log";
    ChildProcess client(sway.asUser({sway.copyForUser(BREVANOR_WAYLAND_LOGGING_CLIENT).string()}), options);
    const auto log = [&] { return readFile(sway.folder() / "client.log"); };
    ASSERT_TRUE(waitUntil([&] { return log().find("ready ") != std::string::npos; })) << log();

    const std::string display = (sway.folder() / "runtime" / "wayland-1").string();
    WaylandInputInjector pointer(display);
    PointerPositionProbe probe(display);
    for (const Point place : {Point{321, 456}, Point{0, 0}, Point{1279, 719}}) {
        SCOPED_TRACE(place.x);
        ASSERT_TRUE(pointer.post(SyntheticInput{.type = SyntheticInput::Type::mouseMoved, .x = place.x, .y = place.y}));
        const auto found = probe.locate();
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, place);
    }
    // The client beneath has the pointer again: a click lands on it, where the pointer is.
    pointer.post(SyntheticInput{.type = SyntheticInput::Type::mouseDown, .x = 1279, .y = 719, .clickCount = 1});
    pointer.post(SyntheticInput{.type = SyntheticInput::Type::mouseUp, .x = 1279, .y = 719, .clickCount = 1});
    EXPECT_TRUE(waitUntil([&] { return log().find("button 272 0 1279.00 719.00") != std::string::npos; })) << log();
}

}  // namespace
}  // namespace brevanor::testing
