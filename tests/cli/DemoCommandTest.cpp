#include <gtest/gtest.h>

#include "cli/DemoCommand.h"

namespace brevanor {
namespace {

TEST(DemoCommand, BlamesTheReplayOnlyWhenItsOwnMeasureSaysItWasOffAndATryMetARunningMachine) {
    const std::string observer = "By Brevanor's own measure the replay kept to its schedule";
    const std::string replay = "Brevanor's own measure agrees: the replay itself was off.";
    const struct {
        const char* ownReport;
        bool replayToBlame;
    } cases[] = {
        {"Fidelity: 40/40 events, timing p95 0.42 ms, max 1.10 ms, pointer 0 px", false},
        {"Fidelity: 40/40 events, timing p95 5.00 ms, max 15.00 ms, pointer 0 px", false},
        {"Fidelity: 40/40 events, timing p95 5.01 ms, max 6.00 ms, pointer 0 px", true},
        {"Fidelity: 40/40 events, timing p95 0.42 ms, max 15.10 ms, pointer 0 px", true},
        {"Fidelity: not measured, as Brevanor cannot listen for input here.", true},
        {"", true},
    };
    for (const auto& c : cases) {
        const std::string said = DemoCommand::blame(c.ownReport, false);
        if (c.replayToBlame) {
            EXPECT_EQ(said, replay) << c.ownReport;
        } else {
            EXPECT_EQ(said.rfind(observer, 0), 0U) << c.ownReport;
        }
        EXPECT_EQ(DemoCommand::blame(c.ownReport, true).rfind("No verdict on Brevanor", 0), 0U) << c.ownReport;
    }
}

}  // namespace
}  // namespace brevanor
