#include <gtest/gtest.h>

#include <random>

#include "core/dispatch/SpinWindow.h"

namespace brevanor {
namespace {

TEST(SpinWindow, NarrowsOnAQuietMachineDownToItsLeastAndWidensQuicklyUpToItsMost) {
    SpinWindow window;
    EXPECT_EQ(window.nanos(), SpinWindow::initialNanos);
    for (int i = 0; i < 100'000; ++i) window.noteWakeUp(5'000);
    EXPECT_EQ(window.nanos(), SpinWindow::minNanos);

    SpinWindow busy;
    for (int i = 0; i < 10; ++i) busy.noteWakeUp(50'000'000);
    EXPECT_GT(busy.nanos(), 2 * SpinWindow::initialNanos);
    for (int i = 0; i < 100; ++i) busy.noteWakeUp(50'000'000);
    EXPECT_EQ(busy.nanos(), SpinWindow::maxNanos);
}

TEST(SpinWindow, SettlesNearThe99thPercentileOfLateness) {
    // Lateness uniform in 0..500 us: 99 % of the wake-ups come within 495 us.
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<std::uint64_t> lateness(0, 500'000);
    SpinWindow window;
    for (int i = 0; i < 200'000; ++i) window.noteWakeUp(lateness(rng));
    EXPECT_GT(window.nanos(), 440'000u);
    EXPECT_LE(window.nanos(), 540'000u);
}

}  // namespace
}  // namespace brevanor
