#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <csignal>
#include <thread>

#include "cli/ChildProcess.h"
#include "cli/CliError.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

// Their environment and output files are used by every test that runs brevanor-cli as a process
// (LibraryConcurrency.ProcessesAtOnceLoseNothingAndBringNothingBack).
TEST(ChildProcesses, ReportTheirExitStatus) {
    ChildProcess failing({"sh", "-c", "exit 3"}, {});
    EXPECT_EQ(failing.waitFor(std::chrono::seconds(10)), 3);
    ChildProcess sleeping({"sleep", "30"}, {});
    EXPECT_EQ(sleeping.terminate(), 128 + SIGTERM);
    EXPECT_THROW(ChildProcess({"brevanor-no-such-program"}, {}), CliError);
}

TEST(ChildProcesses, RunInRealTimeWhereTheSystemAllowsItAndStartAnywayWhereItRefuses) {
    // Whether this process may hand out real-time scheduling, asked of a thread of its own.
    bool allowed = false;
    std::thread([&] {
        sched_param param{};
        param.sched_priority = 1;
        allowed = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
    }).join();

    TemporaryDirectory folder;
    ChildProcess::Options options;
    options.standardOutput = folder.path() / "out";
    options.realtime = true;
    // Field 41 of /proc/PID/stat, the twelfth from the end, is the scheduling policy: 1 is SCHED_FIFO, 0 the usual.
    EXPECT_EQ(
        ChildProcess({"sh", "-c", "awk '{print $(NF-11)}' /proc/$$/stat"}, options).waitFor(std::chrono::seconds(10)),
        0);
    EXPECT_EQ(readFile(options.standardOutput), allowed ? "1\n" : "0\n");
}

}  // namespace
}  // namespace brevanor
