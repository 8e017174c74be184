#include <gtest/gtest.h>

#include <csignal>

#include "cli/ChildProcess.h"
#include "cli/CliError.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

TEST(ChildProcesses, GetTheirEnvironmentAndReportTheirExitStatus) {
    TemporaryDirectory folder;
    ChildProcess::Options options;
    options.environment = {{"BREVANOR_CHILD_TEST", "set"}};
    options.standardOutput = folder.path() / "out";
    EXPECT_EQ(ChildProcess({"sh", "-c", "echo $BREVANOR_CHILD_TEST"}, options).waitFor(std::chrono::seconds(10)), 0);
    EXPECT_EQ(readFile(options.standardOutput), "set\n");

    ChildProcess failing({"sh", "-c", "exit 3"}, {});
    EXPECT_EQ(failing.waitFor(std::chrono::seconds(10)), 3);
    ChildProcess sleeping({"sleep", "30"}, {});
    EXPECT_EQ(sleeping.terminate(), 128 + SIGTERM);
    EXPECT_THROW(ChildProcess({"brevanor-no-such-program"}, {}), CliError);
}

}  // namespace
}  // namespace brevanor
