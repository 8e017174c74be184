#include <gtest/gtest.h>

#include "cli/CliError.h"
#include "cli/CommandLine.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

const std::vector<CommandLine::Option> kOptions{{"speed", true}, {"yes", false}, {"repeat", true}};

std::string usageErrorOf(const std::vector<std::string>& arguments) {
    try {
        CommandLine line("play", arguments, kOptions);
        (void)line.number("speed", 0.5, 10);
        (void)line.integer("repeat", 1, 9999);
    } catch (const CliError& error) {
        EXPECT_EQ(error.exitStatus(), CliError::usageStatus);
        return error.what();
    }
    return {};
}

TEST(CommandLine, SplitsPositionalsFromOptionsInEitherForm) {
    const CommandLine line("play", {"Demo", "--speed", "2", "--yes", "--repeat=3"}, kOptions);
    EXPECT_EQ(line.positionals(), std::vector<std::string>{"Demo"});
    EXPECT_EQ(line.number("speed", 0.5, 10), 2.0);
    EXPECT_EQ(line.integer("repeat", 1, 9999), 3);
    EXPECT_TRUE(line.has("yes"));
    EXPECT_EQ(line.value("yes"), "");
    const CommandLine bare("play", {"Demo"}, kOptions);
    EXPECT_FALSE(bare.number("speed", 0.5, 10).has_value());
    EXPECT_FALSE(bare.value("repeat").has_value());
}

TEST(CommandLine, RefusesUnknownOptionsAndValuesOutOfRangeInOneSentence) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--fast"}, "Unknown option --fast for play; run brevanor-cli help for the options."},
        {{"-v"}, "Unknown option -v for play; run brevanor-cli help for the options."},
        {{"--speed"}, "The option --speed needs a value."},
        {{"--yes=1"}, "The option --yes takes no value."},
        {{"--yes", "--yes"}, "The option --yes is given more than once."},
        {{"--speed", "fast"}, "The option --speed takes a number from 0.5 to 10, not “fast”."},
        {{"--speed", "20"}, "The option --speed takes a number from 0.5 to 10, not “20”."},
        {{"--speed", "nan"}, "The option --speed takes a number from 0.5 to 10, not “nan”."},
        {{"--speed", "2x"}, "The option --speed takes a number from 0.5 to 10, not “2x”."},
        {{"--repeat", "2.5"}, "The option --repeat takes a whole number from 1 to 9999, not “2.5”."},
        {{"--repeat", "99999999999999999999"},
         "The option --repeat takes a whole number from 1 to 9999, not “99999999999999999999”."},
        {{"--repeat", "0"}, "The option --repeat takes a whole number from 1 to 9999, not “0”."},
    };
    for (const auto& [arguments, message] : cases) EXPECT_EQ(usageErrorOf(arguments), message);
}

// Too few is said through a command: EventCommands.RefusesBadInputWithOneSentenceAndChangesNothing.
TEST(CommandLine, CountsPositionals) {
    const CommandLine three("rename", {"a", "b", "c"}, {});
    const auto error =
        testing::thrown<CliError>([&] { three.expectPositionals(2, 2, "a recording and its new name"); });
    EXPECT_STREQ(error ? error->what() : "taken", "rename does not take “c”; run brevanor-cli help for its usage.");
    EXPECT_NO_THROW(CommandLine("rename", {"a", "b"}, {}).expectPositionals(2, 2, "two"));
}

}  // namespace
}  // namespace brevanor
