// Pairing raw events with the server's record of them, without a server: the
// recorded events are fed in as the RECORD extension reports them.

#include <gtest/gtest.h>

#include <X11/X.h>

#include "platform/x11/X11RecordedPositions.h"

namespace brevanor::testing {
namespace {

using Answer = X11RecordedPositions::Answer;

X11RecordedPositions::Lookup found(double x, double y) { return {Answer::found, {x, y}}; }

TEST(X11RecordedPositions, EachRawEventTakesItsOwnRecordInOrder) {
    X11RecordedPositions positions;
    positions.add({MotionNotify, 0, 100, {10, 20}});
    positions.add({ButtonPress, 0, 100, {10, 20}});
    positions.add({MotionNotify, 0, 100, {15, 25}});
    positions.add({KeyPress, 38, 101, {15, 25}});
    positions.add({KeyPress, 40, 101, {15, 25}});

    EXPECT_EQ(positions.find(MotionNotify, 0, 100), found(10, 20));
    EXPECT_EQ(positions.find(ButtonPress, 0, 100), found(10, 20));
    EXPECT_EQ(positions.find(MotionNotify, 0, 100), found(15, 25));
    // A key's record is told by its key code: the first press here had none (it was not recorded).
    EXPECT_EQ(positions.find(KeyPress, 40, 101), found(15, 25));
    EXPECT_EQ(positions.find(KeyPress, 38, 101).answer, Answer::notYet) << "dropped: recorded before the match";
}

TEST(X11RecordedPositions, RecordsWithoutARawEventAreSkipped) {
    X11RecordedPositions positions;
    positions.add({MotionNotify, 0, 100, {400, 400}});  // a pointer warp: no raw event comes for it
    positions.add({ButtonPress, 0, 100, {400, 400}});
    positions.add({MotionNotify, 0, 100, {410, 405}});
    EXPECT_EQ(positions.find(ButtonPress, 0, 100), found(400, 400));
    EXPECT_EQ(positions.find(MotionNotify, 0, 100), found(410, 405));

    // An absolute move picks the record at its own position among moves of the same millisecond.
    positions.add({MotionNotify, 0, 200, {5, 5}});
    positions.add({MotionNotify, 0, 200, {7, 9}});
    EXPECT_EQ(positions.find(MotionNotify, 0, 200, Point{7, 9}), found(7, 9));
}

TEST(X11RecordedPositions, ARecordThatNeverComesIsLostOnceLaterOnesDid) {
    X11RecordedPositions positions;
    EXPECT_EQ(positions.find(ButtonPress, 0, 100).answer, Answer::notYet);
    positions.add({ButtonRelease, 0, 100, {1, 1}});  // the same millisecond: the press's may still come
    EXPECT_EQ(positions.find(ButtonPress, 0, 100).answer, Answer::notYet);
    positions.add({MotionNotify, 0, 101, {2, 2}});
    EXPECT_EQ(positions.find(ButtonPress, 0, 100).answer, Answer::lost);
    EXPECT_EQ(positions.find(ButtonRelease, 0, 100), found(1, 1)) << "a loss costs no other event its record";

    // Server times wrap after 49.7 days: a record stamped just after the wrap is later, not older.
    X11RecordedPositions wrapping;
    wrapping.add({MotionNotify, 0, 3, {4, 4}});
    EXPECT_EQ(wrapping.find(MotionNotify, 0, 0xFFFFFFFEUL).answer, Answer::lost);
    EXPECT_EQ(wrapping.find(MotionNotify, 0, 3), found(4, 4));
}

}  // namespace
}  // namespace brevanor::testing
