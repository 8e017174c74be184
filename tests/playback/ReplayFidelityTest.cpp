#include <gtest/gtest.h>

#include "core/playback/ReplayFidelity.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMs = 1'000'000;

TapEvent cameBack(TapEvent::Kind kind, double atMs, Point location = {}) {
    return {
        .kind = kind, .timestamp = static_cast<std::uint64_t>(atMs * 1e6), .location = location, .isSynthetic = true};
}

PlaybackAction::Button at(double x, double y) { return {MouseButton::left, 0, x, y, 1, 0}; }

ScrollAction notches(std::int64_t count) { return {.scroll = {.deltaY = count}}; }

// Two runs, the second starting late as a whole; one key never comes back, a
// scroll of three notches comes back as three scrolls, another program's key
// and Brevanor's moves are not judged.
TEST(ReplayFidelity, PairsWhatCameBackWithWhatWasPostedAndMeasuresFromEachRunsFirstEvent) {
    ReplayFidelity fidelity;
    fidelity.begin();
    using Kind = TapEvent::Kind;
    fidelity.expect(PlaybackAction::mouseDown(at(10, 20)), 1000 * kMs, 1);
    fidelity.expect(PlaybackAction::moveCursor(50, 50), 1050 * kMs, 1);
    fidelity.expect(PlaybackAction::mouseUp(at(10, 20)), 1100 * kMs, 1);
    fidelity.expect(PlaybackAction::keyDown({4, 0}), 1200 * kMs, 1);
    fidelity.posted(1200 * kMs, 1200'700'000);
    fidelity.expect(PlaybackAction::scroll(notches(-3)), 1300 * kMs, 1);
    fidelity.expect(PlaybackAction::keyDown({11, 0}), 1400 * kMs, 1);
    fidelity.expect(PlaybackAction::keyUp({4, 0}), 1500 * kMs, 1);
    fidelity.expect(PlaybackAction::keyDown({4, 0}), 5000 * kMs, 2);
    fidelity.expect(PlaybackAction::keyUp({4, 0}), 5050 * kMs, 2);

    fidelity.consume(cameBack(Kind::mouseDown(MouseButton::left, 0, 1), 1000.2, {10, 20}));
    fidelity.consume(cameBack(Kind::mouseMoved(), 1050.2, {50, 50}));
    fidelity.consume(cameBack(Kind::mouseUp(MouseButton::left, 0, 1), 1100.7, {13, 24}));
    TapEvent users = cameBack(Kind::keyDown(4, false), 1150);
    users.isSynthetic = false;
    fidelity.consume(users);
    fidelity.consume(cameBack(Kind::keyDown(4, false), 1200.2));
    for (int notch = 0; notch < 3; ++notch) fidelity.consume(cameBack(Kind::scrollWheel({}), 1300.2, {0, 0}));
    fidelity.consume(cameBack(Kind::keyUp(4), 1500.2));  // the key 11 between never came
    EXPECT_FALSE(fidelity.waitUntilSettled(kMs));
    fidelity.consume(cameBack(Kind::keyDown(4, false), 7000));
    fidelity.consume(cameBack(Kind::keyUp(4), 7051.5));
    EXPECT_TRUE(fidelity.waitUntilSettled(kMs));

    const FidelityReport report = fidelity.report();
    EXPECT_EQ(report.expected, 8);
    EXPECT_EQ(report.observed, 7);
    // Errors 0, 0.5, 0, 0, 0, 0 and 1.5 ms: the rank an outside comparison takes as p95 holds 0.5.
    EXPECT_NEAR(report.timingP95Ms, 0.5, 0.01);
    EXPECT_NEAR(report.timingMaxMs, 1.5, 1e-6);
    EXPECT_DOUBLE_EQ(report.pointerErrorPx, 5);
    // Against each event's own deadline: the second run came back two seconds late as a whole.
    EXPECT_NEAR(report.postedLateMaxMs, 0.7, 1e-6);
    EXPECT_NEAR(report.arrivedLateMaxMs, 2001.5, 1e-6);

    fidelity.begin();
    EXPECT_EQ(fidelity.report(), FidelityReport{});
    EXPECT_TRUE(fidelity.waitUntilSettled(0));
}

TEST(ReplayFidelity, SaysItInOneLine) {
    EXPECT_EQ((FidelityReport{197, 197, 0.42, 1.1, 0.2}).sentence(),
              "Fidelity: 197/197 events, timing p95 0.42 ms, max 1.10 ms, pointer 0 px");
    EXPECT_EQ((FidelityReport{3, 2, 12.345, 20, 7.6}).sentence(),
              "Fidelity: 2/3 events, timing p95 12.35 ms, max 20.00 ms, pointer 8 px");
}

}  // namespace
}  // namespace brevanor
