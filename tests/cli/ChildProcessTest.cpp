#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/ChildProcess.h"
#include "cli/CliError.h"

namespace brevanor {
namespace {

class ChildProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-child-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string output(const std::vector<std::string>& arguments, ChildProcess::Options options) {
        options.standardOutput = folder_ / "out";
        ChildProcess child(arguments, options);
        EXPECT_EQ(child.waitFor(std::chrono::seconds(10)), 0);
        std::ifstream in(options.standardOutput);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder_;
};

TEST_F(ChildProcesses, GetTheirEnvironmentAndReportTheirExitStatus) {
    ChildProcess::Options options;
    options.environment = {{"BREVANOR_CHILD_TEST", "set"}};
    EXPECT_EQ(output({"sh", "-c", "echo $BREVANOR_CHILD_TEST"}, options), "set\n");

    ChildProcess failing({"sh", "-c", "exit 3"}, {});
    EXPECT_EQ(failing.waitFor(std::chrono::seconds(10)), 3);
    ChildProcess sleeping({"sleep", "30"}, {});
    EXPECT_EQ(sleeping.terminate(), 128 + SIGTERM);
    EXPECT_THROW(ChildProcess({"brevanor-no-such-program"}, {}), CliError);
}

}  // namespace
}  // namespace brevanor
