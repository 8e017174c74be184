#include <gtest/gtest.h>

#include <fstream>
#include <system_error>

#include "core/acceptance/AcceptanceComparator.h"
#include "core/acceptance/HarnessLogError.h"
#include "core/acceptance/HarnessLogReader.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

using Kind = HarnessLogError::Kind;

const std::string kClick = R"({"t":1000,"type":"mouseDown","x":10.5,"y":20,"button":"left","clickCount":1,)"
                           R"("mods":0,"synthetic":false})";
const std::string kKey = R"({"t":2000,"type":"keyDown","x":0,"y":0,"keyCode":0,"mods":131072,"synthetic":true})";

HarnessLogError errorOf(std::string_view log, HarnessLogReader::Limits limits = {}) {
    const auto error = testing::thrown<HarnessLogError>([&] { HarnessLogReader(limits).read(log); });
    EXPECT_TRUE(error) << "no error for: " << log.substr(0, 200);
    return error.value_or(HarnessLogError{Kind::notAnObject, 0, ""});
}

TEST(HarnessLog, WriterKeepsKeyOrderLeavesOutAbsentValuesReadsBackAndRefusesPositionsJsonCannotHold) {
    const HarnessLogEntry click{1000, "mouseDown", 10.5, 20, "left", 1, std::nullopt, 0, false};
    EXPECT_EQ(click.toJson(), kClick);
    const HarnessLogEntry key{2000, "keyDown", 0, 0, std::nullopt, std::nullopt, 0, 131072, true};
    EXPECT_EQ(key.toJson(), kKey);

    // A written log reads back unchanged.
    const std::vector<HarnessLogEntry> entries{
        {0, "mouseDown", -0.1, 1e-300, "left", -3, std::nullopt, 0, false},
        {18446744073709551615u, "odd \"type\"\n\t\\ é", 1.7976931348623157e308, -4e-320, "", std::nullopt, 65535,
         18446744073709551615u, true},
        // Whole numbers beyond 64 bits, whose shortest text has no point or exponent.
        {1080, "mouseUp", 103333333333333327872.0, -1e20, std::nullopt, std::nullopt, std::nullopt, 0, true},
    };
    const std::string log = HarnessLogEntry::jsonLines(entries);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
    EXPECT_EQ(AcceptanceComparator::parse(log), entries);

    // Infinite and undefined positions have no JSON text.
    HarnessLogEntry entry;
    entry.x = std::numeric_limits<double>::infinity();
    EXPECT_THROW(entry.toJson(), std::invalid_argument);
    entry.x = 0;
    entry.y = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(entry.toJson(), std::invalid_argument);
}

TEST(HarnessLog, BlankLinesCrlfAMissingFinalNewlineNullsAndUnknownKeysAreAccepted) {
    const auto expected = AcceptanceComparator::parse(kClick + "\n" + kKey + "\n");
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_EQ(AcceptanceComparator::parse(kClick + "\n" + kKey), expected);
    EXPECT_EQ(AcceptanceComparator::parse("\n\n" + kClick + "\n   \n\n" + kKey + "\n\n"), expected);
    EXPECT_EQ(AcceptanceComparator::parse(kClick + "\r\n\r\n" + kKey + "\r\n"), expected);
    EXPECT_TRUE(AcceptanceComparator::parse("").empty());

    // Optional values may be null, and unknown keys are ignored.
    const auto entries = AcceptanceComparator::parse(
        R"({"extra":{"a":[1,2]},"t":5,"type":"scroll","x":1,"y":2,"button":null,"clickCount":null,"keyCode":null,)"
        R"("mods":0,"synthetic":true})");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (HarnessLogEntry{5, "scroll", 1, 2, std::nullopt, std::nullopt, std::nullopt, 0, true}));
}

TEST(HarnessLog, BadLinesAreNamedByNumber) {
    const std::string base = R"("type":"keyDown","x":0,"y":0,"mods":0,"synthetic":false)";
    const auto lineTwo = [&](const std::string& line) { return errorOf(kClick + "\n" + line + "\n" + kKey); };

    EXPECT_EQ(lineTwo("[1,2]"), (HarnessLogError{Kind::notAnObject, 2, ""}));
    EXPECT_EQ(lineTwo("{\"t\":").kind(), Kind::invalidJson);
    EXPECT_EQ(lineTwo(kKey + " {}").kind(), Kind::invalidJson);
    EXPECT_EQ(lineTwo(std::string(5000, '[') + std::string(5000, ']')).kind(), Kind::invalidJson);
    EXPECT_EQ(lineTwo(R"({"type":"keyDown","x":0,"y":0,"mods":0,"synthetic":false})"),
              (HarnessLogError{Kind::missingKey, 2, "t"}));
    EXPECT_EQ(lineTwo(R"({"t":1,"type":"keyDown","x":0,"y":0,"synthetic":false})"),
              (HarnessLogError{Kind::missingKey, 2, "mods"}));

    const std::string wholeT = R"("t" must be a whole number from 0 to 18446744073709551615)";
    for (const char* t : {"-1", "1.5", R"("1")", "null"}) {
        EXPECT_EQ(lineTwo(R"({"t":)" + std::string(t) + "," + base + "}"),
                  (HarnessLogError{Kind::invalidValue, 2, wholeT}));
    }
    EXPECT_EQ(lineTwo(R"({"t":1,"keyCode":70000,)" + base + "}"),
              (HarnessLogError{Kind::invalidValue, 2, R"("keyCode" must be a whole number from 0 to 65535)"}));
    EXPECT_EQ(lineTwo(R"({"t":1,"clickCount":1e400,)" + base + "}").kind(), Kind::invalidJson);
    EXPECT_EQ(lineTwo(R"({"t":1,"clickCount":9223372036854775808,)" + base + "}"),
              (HarnessLogError{Kind::invalidValue, 2, R"("clickCount" must be a whole number)"}));
    EXPECT_EQ(lineTwo(R"({"t":1,"button":1,)" + base + "}"),
              (HarnessLogError{Kind::invalidValue, 2, R"("button" must be a text)"}));
    EXPECT_EQ(lineTwo(R"({"t":1,"type":"keyDown","x":"0","y":0,"mods":0,"synthetic":false})"),
              (HarnessLogError{Kind::invalidValue, 2, R"("x" must be a number)"}));
    EXPECT_EQ(lineTwo(R"({"t":1,"type":"keyDown","x":0,"y":0,"mods":0,"synthetic":1})"),
              (HarnessLogError{Kind::invalidValue, 2, R"("synthetic" must be true or false)"}));
}

TEST(HarnessLog, ErrorTextsNameTheLine) {
    EXPECT_STREQ(HarnessLogError(Kind::missingKey, 3, "mods").what(),
                 "harness log line 3 lacks the required key \"mods\"");
    EXPECT_STREQ(HarnessLogError(Kind::notAnObject, 1, "").what(), "harness log line 1 is not a JSON object");
    EXPECT_STREQ(HarnessLogError(Kind::invalidValue, 2, R"("x" must be a number)").what(),
                 "harness log line 2: \"x\" must be a number");
    EXPECT_STREQ(HarnessLogError(Kind::lineTooLong, 9, "1048576").what(),
                 "harness log line 9 is longer than 1048576 bytes");
    EXPECT_STREQ(HarnessLogError(Kind::tooManyEvents, 7, "5").what(),
                 "harness log line 7 passes the limit of 5 events");
    EXPECT_EQ(std::string(errorOf("{").what()).rfind("harness log line 1 is not valid JSON: ", 0), 0u);
}

TEST(HarnessLog, HugeLinesAndTooManyEventsAreRefusedButBlankLinesAreNot) {
    EXPECT_EQ(errorOf(kClick, {.maxLineBytes = 50}), (HarnessLogError{Kind::lineTooLong, 1, "50"}));

    // Ten million blank lines are read; the events are limited.
    const auto entries = AcceptanceComparator::parse(std::string(10'000'000, '\n') + kKey);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].keyCode, 0);

    const std::string four = kClick + "\n" + kKey + "\n\n" + kClick + "\n" + kKey + "\n";
    EXPECT_EQ(HarnessLogReader({.maxEntries = 4}).read(four).size(), 4u);
    EXPECT_EQ(errorOf(four, {.maxEntries = 3}), (HarnessLogError{Kind::tooManyEvents, 5, "3"}));
}

// A file is read a few megabytes at a time: lines cut by a piece's end, blank
// and CRLF lines and a missing final newline read as from memory, and errors
// name the line's number in the whole file.
TEST(HarnessLog, AFileReadInPiecesGivesWhatItsBytesGive) {
    TemporaryDirectory folder;
    const auto write = [&](const std::string& name, const std::string& log) {
        std::ofstream(folder.path() / name, std::ios::binary) << log;
        return folder.path() / name;
    };
    std::string log;
    for (int i = 0; log.size() < (9u << 20); ++i) log += (i % 3 == 0 ? kClick + "\r\n\n" : kKey + "\n");
    log += kClick;
    const auto fromMemory = HarnessLogReader().read(log);
    EXPECT_EQ(HarnessLogReader().readFile(write("long.jsonl", log)), fromMemory);
    EXPECT_TRUE(HarnessLogReader().readFile(write("empty.jsonl", "")).empty());

    const auto lines = static_cast<std::uint64_t>(std::count(log.begin(), log.end(), '\n'));
    const auto errorOfFile = [&](const std::string& name, const std::string& text) {
        return testing::thrown<HarnessLogError>([&] { HarnessLogReader().readFile(write(name, text)); });
    };
    EXPECT_EQ(errorOfFile("bad.jsonl", log + "\n{\"t\":1}\n"), (HarnessLogError{Kind::missingKey, lines + 2, "type"}));
    EXPECT_EQ(errorOfFile("huge.jsonl", log + "\n" + std::string(3u << 20, ' ') + kKey),
              (HarnessLogError{Kind::lineTooLong, lines + 2, "1048576"}));
    EXPECT_THROW(HarnessLogReader().readFile(folder.path() / "missing.jsonl"), std::system_error);
}

}  // namespace
}  // namespace brevanor
