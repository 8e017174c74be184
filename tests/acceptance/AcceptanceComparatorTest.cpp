#include <gtest/gtest.h>

#include "core/acceptance/AcceptanceComparator.h"

namespace brevanor {
namespace {

using Entries = std::vector<HarnessLogEntry>;
constexpr std::uint64_t kMs = 1'000'000;

HarnessLogEntry event(std::string type, std::uint64_t t, double x = 0, double y = 0, bool synthetic = false) {
    return {t, std::move(type), x, y, std::nullopt, std::nullopt, std::nullopt, 0, synthetic};
}

// Two clicks, a key press and a scroll, with a move the comparison skips.
Entries task(bool synthetic, std::uint64_t start = 0) {
    Entries entries;
    for (const auto& [type, offset, x] :
         std::vector<std::tuple<std::string, std::uint64_t, double>>{{"mouseDown", 0, 10},
                                                                     {"mouseUp", 80, 10},
                                                                     {"mouseMoved", 100, 50},
                                                                     {"mouseDown", 400, 50},
                                                                     {"mouseUp", 480, 50},
                                                                     {"keyDown", 900, 0},
                                                                     {"keyUp", 950, 0}}) {
        entries.push_back(event(type, start + offset * kMs, x, 20, synthetic));
    }
    return entries;
}

TEST(AcceptanceComparator, ReferenceAndReplayTakeComparableEventsOfTheirSideAndReplaysSplitIntoRuns) {
    Entries log = task(false);
    log.push_back(event("scroll", 1000 * kMs, 0, 0, true));
    log.push_back(event("flagsChanged", 1001 * kMs, 0, 0, true));
    log.push_back(event("mouseMoved", 1002 * kMs, 0, 0, true));
    log.push_back(event("mouseDragged", 1003 * kMs, 0, 0, false));
    EXPECT_EQ(AcceptanceComparator::referenceEvents(log).size(), 6u);
    EXPECT_EQ(AcceptanceComparator::replayEvents(log), (Entries{log[7], log[8]}));

    // Split runs cut the replay events into runs of the expected count.
    Entries replays = task(false);
    for (std::uint64_t i = 0; i < 10; ++i) replays.push_back(event("keyDown", i, 0, 0, true));
    replays.push_back(event("mouseMoved", 99, 0, 0, true));
    const auto sizes = [&](std::int64_t expected) {
        std::vector<std::size_t> result;
        for (const Entries& run : AcceptanceComparator::splitRuns(replays, expected)) result.push_back(run.size());
        return result;
    };
    EXPECT_EQ(sizes(4), (std::vector<std::size_t>{4, 4, 2}));
    EXPECT_EQ(sizes(0), std::vector<std::size_t>{10});
    EXPECT_EQ(sizes(-7), std::vector<std::size_t>{10});
    EXPECT_EQ(sizes(std::numeric_limits<std::int64_t>::max()), std::vector<std::size_t>{10});
    EXPECT_EQ(AcceptanceComparator::splitRuns(replays, 4)[2].back().t, 9u);
    EXPECT_TRUE(AcceptanceComparator::splitRuns(task(false), 4).empty());
}

TEST(AcceptanceComparator, AFaithfulRunPassesAndOnlyButtonAndScrollPositionsCount) {
    const AcceptanceReport report = AcceptanceComparator::compare(task(false), {task(true, 5'000 * kMs)});
    ASSERT_EQ(report.runs.size(), 1u);
    EXPECT_EQ(report.runs[0], (AcceptanceRunResult{1, 6, 6, 0, 0, 0, {}}));
    EXPECT_TRUE(report.passed());
    EXPECT_EQ(report.summary(),
              "Run   1  PASS  events 6/6  max pos 0.00 px  timing p95 0.00 ms  max 0.00 ms\n\nOVERALL: PASS (1 runs)");

    // Only button and scroll positions count.
    Entries keyOff = task(true);
    keyOff[5].x += 1.5;
    EXPECT_TRUE(AcceptanceComparator::compare(task(false), {keyOff}).passed());

    Entries clickOff = task(true);
    clickOff[3].x += 1.5;
    const AcceptanceRunResult result = AcceptanceComparator::compare(task(false), {clickOff}).runs[0];
    EXPECT_DOUBLE_EQ(result.maxPositionError, 1.5);
    EXPECT_EQ(result.failures, std::vector<std::string>{"position error 1.50 px exceeds 1 px"});

    // The distance counts, not each axis on its own.
    Entries diagonal = task(true);
    diagonal[0].x += 0.75;
    diagonal[0].y -= 0.75;
    EXPECT_EQ(AcceptanceComparator::compare(task(false), {diagonal}).runs[0].failures,
              std::vector<std::string>{"position error 1.06 px exceeds 1 px"});
}

TEST(AcceptanceComparator, TimingIsMeasuredFromEachSidesFirstEvent) {
    Entries reference, replay;
    for (std::uint64_t i = 0; i < 20; ++i) {
        reference.push_back(event("keyDown", 1'000 * kMs + i * 100 * kMs));
        // Off by 0 to 19 ms, in shuffled order.
        replay.push_back(event("keyDown", 9'000 * kMs + i * 100 * kMs + (i * 7 % 20) * kMs, 0, 0, true));
    }
    const AcceptanceRunResult result = AcceptanceComparator::compare(reference, {replay}).runs[0];
    EXPECT_DOUBLE_EQ(result.timingP95Ms, 18.0);  // the 19th smallest of 0 ... 19
    EXPECT_DOUBLE_EQ(result.timingMaxMs, 19.0);
    EXPECT_EQ(result.failures, (std::vector<std::string>{"p95 timing error 18.00 ms exceeds 5 ms",
                                                         "max timing error 19.00 ms exceeds 15 ms"}));

    // A replay clock that runs backwards is measured, not wrapped around.
    const Entries backwards{event("keyDown", 50 * kMs, 0, 0, true), event("keyUp", 40 * kMs, 0, 0, true)};
    const Entries forwards{event("keyDown", 0), event("keyUp", 10 * kMs)};
    EXPECT_DOUBLE_EQ(AcceptanceComparator::compare(forwards, {backwards}).runs[0].timingMaxMs, 20.0);
    EXPECT_DOUBLE_EQ(AcceptanceComparator::compare(forwards, {backwards}).runs[0].timingP95Ms, 0.0);
}

TEST(AcceptanceComparator, CountAndFirstTypeMismatchAreReportedAndAnEmptyReferenceFailsEveryRun) {
    Entries replay = task(true);
    replay[3].type = "keyUp";
    replay[5].type = "mouseUp";
    replay.push_back(event("keyDown", 2000 * kMs, 0, 0, true));
    const AcceptanceRunResult result = AcceptanceComparator::compare(task(false), {replay}).runs[0];
    EXPECT_EQ(result.expectedCount, 6);
    EXPECT_EQ(result.actualCount, 7);
    EXPECT_EQ(result.failures, (std::vector<std::string>{"event count 7 differs from reference 6",
                                                         "event 2 is keyUp, expected mouseDown"}));

    // An empty reference fails every run.
    const AcceptanceReport report = AcceptanceComparator::compare(Entries{event("mouseMoved", 0)}, {task(true), {}});
    EXPECT_EQ(report.runs[0].failures, (std::vector<std::string>{"event count 6 differs from reference 0",
                                                                 "reference log has no comparable events"}));
    EXPECT_EQ(report.runs[1].failures, std::vector<std::string>{"reference log has no comparable events"});
    EXPECT_EQ(report.summary(),
              "Run   1  FAIL  events 6/0  max pos 0.00 px  timing p95 0.00 ms  max 0.00 ms\n"
              "          - event count 6 differs from reference 0\n"
              "          - reference log has no comparable events\n"
              "Run   2  FAIL  events 0/0  max pos 0.00 px  timing p95 0.00 ms  max 0.00 ms\n"
              "          - reference log has no comparable events\n"
              "\n"
              "OVERALL: FAIL (2 of 2 runs failed)");
}

TEST(AcceptanceComparator, SummaryCountsFailedRunsAndAReportWithoutRunsFails) {
    Entries late = task(true);
    late[6].t += 16 * kMs;
    late[0].y = 1e300;
    std::vector<Entries> runs(101, task(true));
    runs[1] = late;
    const AcceptanceReport report = AcceptanceComparator::compare(task(false), runs);
    const std::string summary = report.summary();
    EXPECT_FALSE(report.passed());
    // 1e300 is printed in full, as printf prints it.
    EXPECT_NE(summary.find("Run   2  FAIL  events 6/6  max pos 10000000000000000525047602552044202487"),
              std::string::npos);
    EXPECT_NE(summary.find(".00 px  timing p95 0.00 ms  max 16.00 ms\n          - position error "), std::string::npos);
    EXPECT_NE(summary.find("px exceeds 1 px\n          - max timing error 16.00 ms exceeds 15 ms\nRun   3  PASS"),
              std::string::npos);
    EXPECT_NE(summary.find("\nRun 101  PASS  events 6/6"), std::string::npos);
    EXPECT_TRUE(summary.ends_with("\n\nOVERALL: FAIL (1 of 101 runs failed)"));

    // A report without runs fails too.
    const AcceptanceReport noRuns = AcceptanceComparator::compare(task(false), {});
    EXPECT_FALSE(noRuns.passed());
    EXPECT_EQ(noRuns.summary(), "No replay runs found.\n\nOVERALL: FAIL (0 of 0 runs failed)");
}

TEST(AcceptanceComparator, LogTextToVerdict) {
    Entries log = task(false);
    for (int run = 0; run < 3; ++run) {
        for (const HarnessLogEntry& entry : task(true, 10'000 * kMs * (run + 1))) log.push_back(entry);
    }
    const Entries parsed = AcceptanceComparator::parse(HarnessLogEntry::jsonLines(log));
    const auto runs = AcceptanceComparator::splitRuns(
        parsed, static_cast<std::int64_t>(AcceptanceComparator::referenceEvents(parsed).size()));
    const AcceptanceReport report = AcceptanceComparator::compare(parsed, runs);
    EXPECT_EQ(report.runs.size(), 3u);
    EXPECT_TRUE(report.passed());
    // The judgement of whole logs, which copies no entry, reaches the same report.
    EXPECT_TRUE(AcceptanceComparator::compareLogs(parsed, parsed, std::nullopt) == report);
    EXPECT_TRUE(AcceptanceComparator::compareLogs(parsed, parsed, 4) ==
                AcceptanceComparator::compare(parsed, AcceptanceComparator::splitRuns(parsed, 4)));
}

}  // namespace
}  // namespace brevanor
