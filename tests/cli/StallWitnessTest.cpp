#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "base/time/MonotonicClock.h"
#include "cli/StallExcuse.h"
#include "cli/StallWitness.h"
#include "core/acceptance/AcceptanceComparator.h"
#include "core/dispatch/ThreadPriority.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMs = 1'000'000;
constexpr std::uint64_t kReplayStart = 10'000 * kMs;

// Twenty key presses 100 ms apart, as the outside logger saw them performed.
std::vector<HarnessLogEntry> reference() {
    std::vector<HarnessLogEntry> entries;
    for (std::uint64_t i = 0; i < 20; ++i) {
        HarnessLogEntry entry;
        entry.t = 500 * kMs + i * 100 * kMs;
        entry.type = "keyDown";
        entry.keyCode = 4;
        entries.push_back(entry);
    }
    return entries;
}

// The same presses replayed, the i-th `late[i]` nanoseconds late.
std::vector<HarnessLogEntry> replayed(const std::vector<std::pair<std::size_t, std::uint64_t>>& late) {
    std::vector<HarnessLogEntry> entries = reference();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].t = kReplayStart + i * 100 * kMs;
        entries[i].synthetic = true;
    }
    for (const auto& [index, by] : late) entries[index].t += by;
    return entries;
}

std::optional<std::string> excuse(const std::vector<HarnessLogEntry>& run,
                                  const std::vector<StallWitness::Stall>& stalls) {
    const AcceptanceRunResult result = AcceptanceComparator::compare(reference(), {run}).runs.at(0);
    return StallExcuse::forRun(reference(), run, result, stalls);
}

// The stall that kept event `index` from its time `by` nanoseconds.
StallWitness::Stall stallAt(std::size_t index, std::uint64_t by) {
    const std::uint64_t due = kReplayStart + index * 100 * kMs;
    return {due - kMs, due + by};
}

TEST(StallExcuse, ExcusesARunOnlyWhenEveryLateEventCameDuringAStall) {
    // Three events late enough to fail the run's p95, each during a stall.
    const auto late = replayed({{5, 14 * kMs}, {11, 7 * kMs}, {12, 6 * kMs}});
    const std::vector stalls = {stallAt(5, 14 * kMs), stallAt(11, 7 * kMs), stallAt(12, 6 * kMs)};
    EXPECT_EQ(excuse(late, stalls),
              "3 events came up to 14.0 ms late, the machine each time standing still for at least half of it");

    // One of them late while the machine ran: the replay's own doing.
    EXPECT_EQ(excuse(late, {stalls[0], stalls[1]}), std::nullopt);
    // A stall elsewhere, or one too short to make an event that late, excuses nothing.
    EXPECT_EQ(excuse(late, {stalls[0], stalls[1], stallAt(15, 6 * kMs)}), std::nullopt);
    EXPECT_EQ(excuse(late, {stalls[0], stalls[1], {stallAt(12, 0).from, stallAt(12, 0).from + 2 * kMs}}), std::nullopt);
    // Stalls count together, overlapping ones once (both processors often stop at the same moment).
    const std::uint64_t due5 = stallAt(5, 0).from + kMs;
    EXPECT_NE(excuse(late, {{due5, due5 + 4 * kMs}, {due5 + 3 * kMs, due5 + 8 * kMs}, stalls[1], stalls[2]}),
              std::nullopt);
    EXPECT_EQ(excuse(late, {{due5, due5 + 5 * kMs}, {due5, due5 + 5 * kMs}, stalls[1], stalls[2]}), std::nullopt);
    // An event that came early was not held up by anything.
    auto early = late;
    early[15].t -= 6 * kMs;
    EXPECT_EQ(excuse(early, stalls), std::nullopt);
}

TEST(StallExcuse, TakesALateFirstEventForTheOneLateEventItIs) {
    // Measured from the first event, every other one seems 16 ms early.
    const auto run = replayed({{0, 16 * kMs}});
    EXPECT_FALSE(AcceptanceComparator::compare(reference(), {run}).passed());
    EXPECT_EQ(excuse(run, {stallAt(0, 16 * kMs)}),
              "1 event came 16.0 ms late, the machine standing still for at least half of it");
    EXPECT_EQ(excuse(run, {stallAt(3, 16 * kMs)}), std::nullopt);
}

TEST(StallExcuse, NeverExcusesARunThatPassedOrFailedOtherwiseThanInTiming) {
    EXPECT_EQ(excuse(replayed({}), {stallAt(3, 5 * kMs)}), std::nullopt);

    auto mistaken = replayed({{5, 16 * kMs}});
    mistaken[2].type = "keyUp";
    EXPECT_EQ(excuse(mistaken, {stallAt(5, 16 * kMs)}), std::nullopt);

    auto missing = replayed({{5, 16 * kMs}});
    missing.pop_back();
    EXPECT_EQ(excuse(missing, {stallAt(5, 16 * kMs)}), std::nullopt);
}

// Holds this process still from a child process, `bursts` times for `heldMicros` with `runMicros` of
// running between, as a hypervisor holds a virtual machine; answers when the holding began and ended.
std::pair<std::uint64_t, std::uint64_t> holdStill(int bursts, useconds_t heldMicros, useconds_t runMicros) {
    const pid_t self = getpid();
    const std::uint64_t before = MonotonicClock::now();
    const pid_t holder = fork();
    if (holder < 0) return {before, before};
    if (holder == 0) {
        // Above the witness, where the system allows it, so that the bursts keep their lengths.
        sched_param param{};
        param.sched_priority = ThreadPriority::realtimePriority + 1;
        sched_setscheduler(0, SCHED_FIFO, &param);
        for (int burst = 0; burst < bursts; ++burst) {
            kill(self, SIGSTOP);
            usleep(heldMicros);
            kill(self, SIGCONT);
            usleep(runMicros);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(holder, &status, 0) < 0) {
    }
    return {before, MonotonicClock::now()};
}

// Whether the witness comes to note stalls that, together, cover at least `length` of `span`.
bool notesStalls(const StallWitness& witness, std::pair<std::uint64_t, std::uint64_t> span, std::uint64_t length) {
    return testing::waitUntil(
        [&] { return StallWitness::coveredNanos(witness.stalls(), span.first, span.second) >= length; });
}

TEST(StallWitness, SeesAProcessHeldStillAsAStall) {
    const StallWitness witness;
    if (!witness.isWatching()) GTEST_SKIP() << "this system refuses real-time scheduling or pinning";

    const auto stopped = holdStill(1, 40'000, 0);
    EXPECT_TRUE(notesStalls(witness, stopped, 35 * kMs))
        << witness.stalls().size() << " stalls seen, covering less than 35 ms of the 40 ms hold";

    // Let run for a tenth of a millisecond every 1.8 ms: no single wake-up is 2 ms late, yet the process
    // hardly ran for 38 ms. (On a busy machine a run may last longer and part the stall in two.)
    const auto trickled = holdStill(20, 1'800, 100);
    EXPECT_TRUE(notesStalls(witness, trickled, 30 * kMs))
        << witness.stalls().size() << " stalls seen, covering less than 30 ms of twenty short holds in a row";
}

}  // namespace
}  // namespace brevanor
