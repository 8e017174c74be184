#include <gtest/gtest.h>

#include <fstream>

#include "cli/Cli.h"
#include "cli/CliError.h"
#include "cli/CommandLine.h"
#include "cli/PlayCommand.h"
#include "core/store/RecordingStore.h"
#include "tests/cli/CliHarness.h"
#include "tests/store/SampleRecordings.h"

namespace brevanor {
namespace {

TEST(Cli, HelpListsEveryCommandAtTheStartOfALineAndWrongUseIsOneSentenceAndStatusTwo) {
    CliHarness cli;
    const auto help = cli.run({"help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"list", "show", "rename", "duplicate", "delete", "import", "export", "trim", "record",
                                "play", "compare", "demo"}) {
        EXPECT_NE(help.out.find(std::string("\n  ") + command), std::string::npos) << command;
    }
    EXPECT_EQ(cli.run({}).out, help.out);
    EXPECT_EQ(cli.run({"--help"}).out, help.out);

    // Wrong use is one sentence and status two.
    const auto unknown = cli.run({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "brevanor-cli: Unknown command “frobnicate”; run brevanor-cli help for the commands.\n");
    EXPECT_EQ(unknown.out, "");
    const auto blank = cli.run({"record", "--name", " "});
    EXPECT_EQ(blank.status, 2);
    EXPECT_EQ(blank.err, "brevanor-cli: A recording needs a name that is not blank.\n");
}

// Without a display, recording and playing say so in one line; the backend option picks the backend
// anywhere before the end of options.
TEST(Cli, WithoutADisplayRecordingAndPlayingSaySoForTheBackendPicked) {
    CliHarness cli;
    cli.add(sampleRecording("Any", std::chrono::system_clock::now()));
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string errStart;
    };
    for (const Case& c : std::vector<Case>{
             {{"record", "--countdown", "0"}, 1, "brevanor-cli: No desktop session is set"},
             {{"play", "Any"}, 1, "brevanor-cli: No desktop session is set"},
             {{"--backend", "x11", "play", "Any"}, 1, "brevanor-cli: No X display is set (DISPLAY is empty)"},
             {{"play", "Any", "--backend=wayland"},
              1,
              "brevanor-cli: The Wayland compositor wayland-0 cannot be reached"},
             {{"play", "Any", "--backend", "mir"},
              2,
              "brevanor-cli: The option --backend takes x11 or wayland, not “mir”"},
             {{"play", "--backend", "x11", "Any", "--backend", "x11"},
              2,
              "brevanor-cli: The option --backend is given twice"},
             {{"show", "--", "--backend"}, 1, "brevanor-cli: No recording"},
         }) {
        const auto result = cli.run(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments.back();
        EXPECT_TRUE(result.err.starts_with(c.errStart)) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

TEST(Cli, PlayOptionsChangeTheRecordingsSettingsForOneRun) {
    Recording recording = sampleRecording("Any", std::chrono::system_clock::now());
    recording.settings.speed = 3.0;
    recording.settings.repeatCount = 4;
    recording.settings.delayBetweenRepeatsSec = 2;
    const std::vector<CommandLine::Option> options{{"speed", true}, {"repeat", true}, {"forever", false},
                                                   {"delay", true}, {"cursor", true}, {"click-delay", true}};
    const PlaybackOptions unchanged = PlayCommand::options(recording, CommandLine("play", {"Any"}, options));
    EXPECT_EQ(unchanged, PlaybackOptions(recording.settings));

    const PlaybackOptions changed =
        PlayCommand::options(recording, CommandLine("play",
                                                    {"Any", "--speed", "0.5", "--forever", "--delay", "0.25",
                                                     "--cursor", "screen", "--click-delay", "150"},
                                                    options));
    EXPECT_EQ(changed.speed, 0.5);
    EXPECT_FALSE(changed.repeatCount.has_value());
    EXPECT_EQ(changed.delayBetweenRepeatsNanos, 250'000'000u);
    EXPECT_EQ(changed.cursorMode, CursorMode::relativeToScreen);
    EXPECT_EQ(changed.extraDelayBeforeClickNanos, 150'000'000u);

    EXPECT_THROW(PlayCommand::options(recording, CommandLine("play", {"Any", "--repeat", "2", "--forever"}, options)),
                 CliError);
    EXPECT_THROW(PlayCommand::options(recording, CommandLine("play", {"Any", "--cursor", "diagonal"}, options)),
                 CliError);
    EXPECT_THROW(PlayCommand::options(recording, CommandLine("play", {"Any", "--delay", "-1"}, options)), CliError);
}

class CompareCommandTest : public ::testing::Test {
protected:
    std::string log(const std::string& name, const std::vector<std::string>& lines) {
        const auto path = cli_.folder() / name;
        std::ofstream out(path);
        for (const auto& line : lines) out << line << "\n";
        return path.string();
    }
    static std::string entry(std::uint64_t t, const char* type, double x, bool synthetic) {
        return "{\"t\":" + std::to_string(t) + ",\"type\":\"" + type + "\",\"x\":" + std::to_string(x) +
               ",\"y\":10,\"mods\":0,\"synthetic\":" + (synthetic ? "true" : "false") + "}";
    }

    CliHarness cli_;
};

TEST_F(CompareCommandTest, PrintsTheSummaryAndAnswersWithTheVerdictOrNamesTheLogItCannotRead) {
    const auto reference =
        log("reference.jsonl", {entry(1'000'000, "mouseDown", 10, false), entry(51'000'000, "mouseUp", 10, false)});
    const auto replay =
        log("replay.jsonl", {entry(5'000'000, "mouseDown", 10, true), entry(55'000'000, "mouseUp", 10, true),
                             entry(905'000'000, "mouseDown", 10, true), entry(955'500'000, "mouseUp", 13, true)});
    const auto result = cli_.run({"compare", reference, replay});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              "Run   1  PASS  events 2/2  max pos 0.00 px  timing p95 0.00 ms  max 0.00 ms\n"
              "Run   2  FAIL  events 2/2  max pos 3.00 px  timing p95 0.00 ms  max 0.50 ms\n"
              "          - position error 3.00 px exceeds 1 px\n"
              "\n"
              "OVERALL: FAIL (1 of 2 runs failed)\n");
    const auto one = cli_.run({"compare", reference, replay, "--expected-count", "4"});
    EXPECT_TRUE(one.out.starts_with("Run   1  FAIL  events 4/2")) << one.out;
    const auto passing =
        log("passing.jsonl", {entry(5'000'000, "mouseDown", 10, true), entry(55'000'000, "mouseUp", 10, true)});
    EXPECT_EQ(cli_.run({"compare", reference, passing}).status, 0);

    // A log that cannot be read is named; the harness log's own tests check its reasons.
    const auto bad = log("bad.jsonl", {entry(1, "mouseDown", 10, false), "{\"t\":2}"});
    const auto unread = cli_.run({"compare", bad, replay});
    EXPECT_EQ(unread.status, 1);
    EXPECT_TRUE(unread.err.starts_with("brevanor-cli: The harness log " + bad + " cannot be read: ")) << unread.err;
    const auto missing = cli_.run({"compare", reference, "/nonexistent/replay.jsonl"});
    EXPECT_EQ(missing.err, "brevanor-cli: Cannot read the harness log /nonexistent/replay.jsonl.\n");
}

}  // namespace
}  // namespace brevanor
