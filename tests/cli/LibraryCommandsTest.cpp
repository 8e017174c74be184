#include <gtest/gtest.h>
#include <simdjson.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "core/model/RecordingJSONEncoder.h"
#include "core/store/RecordingStore.h"
#include "tests/cli/CliHarness.h"
#include "tests/model/RecordingSamples.h"
#include "tests/store/SampleRecordings.h"

namespace brevanor {
namespace {

using std::chrono::hours;

class LibraryCommands : public ::testing::Test {
protected:
    Recording add(Recording recording) { return cli_.add(std::move(recording)); }
    Recording add(const std::string& name, Date createdAt) { return add(sampleRecording(name, createdAt)); }
    std::filesystem::path file(const std::string& name, std::string_view contents) {
        const auto path = cli_.folder() / name;
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    CliHarness cli_;
    const Date now_ = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
};

// The order is the store's: RecordingStoreTest.ListsOnlyReadableDocumentsNewestFirst.
TEST_F(LibraryCommands, ListsRowsAndSaysWhatItLeftOut) {
    EXPECT_EQ(cli_.run({"list"}).out, "") << "an empty library lists nothing";
    const Recording recording = add("Listed", now_);
    std::ofstream(cli_.library() / "broken.json") << "{";
    const auto result = cli_.run({"list"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(
        result.err.starts_with("brevanor-cli: Left out broken.json: it is not a recording this version of "
                               "Brevanor understands ("))
        << result.err;
    EXPECT_TRUE(result.out.starts_with(recording.id.toString() + "  Listed  2.4 s • 18 events • ")) << result.out;
}

// Each entry holds the document's own values, but for its events, and the trimmed duration.
TEST_F(LibraryCommands, ListsJsonWithTheDocumentsOwnValues) {
    EXPECT_EQ(cli_.run({"list", "--json"}).out, "[]\n");
    Recording recording = sampleRecording("Quote \" and – dash", samples::decemberFifth());
    recording.id = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    recording.settings.speed = 2.5;
    recording.trim = {100'000'000, 200'000'000};
    add(recording);
    const auto result = cli_.run({"list", "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              R"([{"createdAt":"2026-12-05T16:43:01Z","durationNanos":2400000000,"eventCount":18,)"
              R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"Quote \" and – dash","settings":{)"
              R"("containsSensitiveInput":false,"cursorMode":"absolute","delayBetweenRepeatsSec":0,)"
              R"("extraDelayBeforeClickMs":0,"notes":"notes of Quote \" and – dash","repeatCount":1,)"
              R"("repeatInfinite":false,"silencedWarnings":[],"speed":2.5},"trimmedDurationNanos":2100000000}])"
              "\n");
}

TEST_F(LibraryCommands, ShowsARecordingByIdNameOrFileWithItsEventsOrItsDocumentAndExportsIt) {
    const Recording recording = add("Form fill", now_);
    const auto byName = cli_.run({"show", "Form fill"});
    ASSERT_EQ(byName.status, 0) << byName.err;
    EXPECT_TRUE(byName.out.starts_with("Form fill\n  id          " + recording.id.toString() + "\n"));
    EXPECT_NE(byName.out.find("  summary     2.4 s • 18 events • "), std::string::npos);
    EXPECT_NE(byName.out.find("  displays    unknown\n"), std::string::npos);
    std::string lowerId = recording.id.toString();
    for (char& c : lowerId) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(cli_.run({"show", lowerId}).out, byName.out);
    // Exported over a file only with --force, and shown from there as from the library.
    const auto exported = file("copy.macro", "keep me");
    const auto refused = cli_.run({"export", "Form fill", exported.string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "brevanor-cli: Could not export “Form fill”: " + exported.string() +
                               " already exists; add --force to replace it.\n");
    ASSERT_EQ(cli_.run({"export", "Form fill", exported.string(), "--force"}).status, 0);
    EXPECT_EQ(cli_.run({"show", exported.string()}).out, byName.out);

    const auto events = cli_.run({"show", "Form fill", "--events"});
    EXPECT_NE(
        events.out.find("\nevents\n     0.000 s  mousePath    50 points (100, 200.5) → (149, 151.5) in 0.392 s\n"),
        std::string::npos)
        << events.out;
    EXPECT_NE(events.out.find("     0.400 s  mouseDown    left button 0 at (149, 151.5), click 1\n"),
              std::string::npos);
    EXPECT_NE(events.out.find("     0.500 s  keyDown      key 12  Super\n"), std::string::npos);
    EXPECT_NE(events.out.find("     0.550 s  idleGap      for 0.250 s\n"), std::string::npos);
    EXPECT_EQ(cli_.run({"show", "Form fill", "--json"}).out, RecordingJSONEncoder().encode(recording) + "\n");
}

TEST_F(LibraryCommands, RenamesDuplicatesAndDeletes) {
    const Recording recording = add("Draft", now_ - hours(1));
    EXPECT_EQ(cli_.run({"rename", "Draft", "Final"}).status, 0);
    EXPECT_EQ(cli_.store().load(recording.id).name, "Final");
    const auto copy = cli_.run({"duplicate", "Final"});
    ASSERT_EQ(copy.status, 0) << copy.err;
    const auto copyId = Uuid::parse(copy.out.substr(0, copy.out.size() - 1));
    ASSERT_TRUE(copyId.has_value()) << copy.out;
    EXPECT_TRUE(cli_.run({"show", copyId->toString()}).out.starts_with("Final copy\n"));
    EXPECT_EQ(cli_.run({"delete", recording.id.toString()}).status, 0);
    EXPECT_EQ(cli_.store().list().entries.size(), 1u);
    const auto blank = cli_.run({"rename", "Final copy", "  "});
    EXPECT_EQ(blank.status, 2);
    EXPECT_EQ(blank.err, "brevanor-cli: A recording needs a name that is not blank.\n");

    // A document that no longer reads is still the user's to delete, by the id its file is named by (as `list`
    // names it).
    const auto path = cli_.library() / (copyId->toString() + ".json");
    std::ofstream(path, std::ios::trunc) << "{ broken";
    const auto deleted = cli_.run({"delete", copyId->toString()});
    EXPECT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(LibraryCommands, ImportsRecordingFilesAndSaysWhyNotForEachOtherFile) {
    const Recording recording = sampleRecording("Imported", now_);
    const auto good = file("good.MACRO", RecordingJSONEncoder().encode(recording));
    const auto text = file("notes.txt", "hello");
    const auto broken = file("broken.json", "{\"schemaVersion\":1,");
    const auto missing = cli_.folder() / "missing.macro";
    const auto pipe = cli_.folder() / "pipe.macro";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Beyond the size limit of every document, without taking the disk space.
    const auto huge = file("huge.json", RecordingJSONEncoder().encode(recording));
    std::filesystem::resize_file(huge, RecordingStore::maxDocumentBytes + 1);
    // Too large a file is refused as the store refuses it
    // (RecordingStoreTest.NoDocumentLargerThanTheLimitIsReadOrWritten), in the words `show` uses below.
    const auto result =
        cli_.run({"import", good.string(), text.string(), broken.string(), missing.string(), pipe.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, recording.id.toString() + "\n");
    std::istringstream lines(result.err);
    std::string line;
    const std::vector<std::string> expected{
        "brevanor-cli: Could not import notes.txt: only .macro and .json files hold recordings.",
        "brevanor-cli: Could not import broken.json: it is not a recording this version of Brevanor understands (",
        "brevanor-cli: Could not import missing.macro: cannot read \"" + missing.string() +
            "\": No such file or directory.",
        "brevanor-cli: Could not import pipe.macro: cannot read \"" + pipe.string() + "\": not a regular file."};
    for (const std::string& start : expected) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_TRUE(line.starts_with(start)) << line;
    }
    EXPECT_FALSE(std::getline(lines, line)) << line;
    EXPECT_EQ(cli_.run({"show", huge.string()}).err,
              "brevanor-cli: Cannot read " + huge.string() +
                  ": the file is larger than 256 MiB, the most a recording document may hold.\n");
}

TEST_F(LibraryCommands, NeverShowsTheEventsOfSensitiveRecordings) {
    Recording secret = sampleRecording("Bank login", now_);
    secret.settings.containsSensitiveInput = true;
    add(secret);
    EXPECT_TRUE(cli_.run({"list"}).out.ends_with("  (sensitive)\n"));
    const std::string withheld =
        "brevanor-cli: “Bank login” is marked as containing sensitive input, so its events are not shown.\n";
    const auto json = cli_.run({"show", "Bank login", "--json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.err, withheld);
    simdjson::dom::parser parser;
    const simdjson::dom::object summary = parser.parse(json.out).get_object();
    EXPECT_EQ(std::int64_t(summary["eventCount"]), secret.eventCount());
    EXPECT_EQ(summary["events"].error(), simdjson::NO_SUCH_FIELD);
    const auto events = cli_.run({"show", "Bank login", "--events"});
    EXPECT_EQ(events.err, withheld);
    EXPECT_EQ(events.out, cli_.run({"show", "Bank login"}).out);
}

// Names from imported files reach the terminal with their control characters
// written out, and scripts still get them exactly.
TEST_F(LibraryCommands, HostileNamesCannotActOnTheTerminal) {
    const std::string hostile = "Evil\x1b]0;owned\x07\x1b[2J\nFAKE-ID  Row\xc2\x9b\u202e\xff";
    // The library keeps the byte that is not UTF-8 as U+FFFD; on the command line it is still that byte.
    const std::string shown = "Evil\\x1b]0;owned\\x07\\x1b[2J\\nFAKE-ID  Row\\u009b\\u202e\xef\xbf\xbd";
    const std::string typed = "Evil\\x1b]0;owned\\x07\\x1b[2J\\nFAKE-ID  Row\\u009b\\u202e\\xff";
    Recording recording = sampleRecording(hostile, now_);
    recording.settings.notes = "line one\nline two";
    add(recording);
    const auto row = cli_.run({"list"}).out;
    EXPECT_NE(row.find("  " + shown + "  "), std::string::npos) << row;
    EXPECT_EQ(std::count(row.begin(), row.end(), '\n'), 1);
    const auto details = cli_.run({"show", recording.id.toString()}).out;
    EXPECT_TRUE(details.starts_with(shown + "\n")) << details;
    EXPECT_NE(details.find("line one\\nline two"), std::string::npos);
    const auto failure = cli_.run({"delete", hostile + " typo"});
    EXPECT_EQ(failure.err, "brevanor-cli: No recording is named “" + typed + " typo”, and no id or file matches it.\n");

    // Scripts get them exactly; the JSON escapes them as every document does, which the encoder's tests check.
    simdjson::dom::parser parser;
    const std::string listJson = cli_.run({"list", "--json"}).out;
    const simdjson::dom::array list = parser.parse(listJson).get_array();
    EXPECT_EQ(std::string_view(list.at(0)["name"]),
              std::string("Evil\x1b]0;owned\x07\x1b[2J\nFAKE-ID  Row\xc2\x9b\u202e\xef\xbf\xbd"));
}

TEST_F(LibraryCommands, TrimsAndUndoesTheTrim) {
    Recording recording = sampleRecording("Padded", now_);
    recording.events = {
        RecordingEvent::idleGap({0, 2'000'000'000}),
        RecordingEvent::mouseDown({2'000'000'000, MouseButton::left, 0, 10, 10, 1, 0}),
        RecordingEvent::mouseUp({2'100'000'000, MouseButton::left, 0, 10, 10, 1, 0}),
        RecordingEvent::keyDown({2'200'000'000, 0, 0, false}),
        RecordingEvent::keyUp({2'300'000'000, 0, 0, false}),
        RecordingEvent::idleGap({2'300'000'000, 1'000'000'000}),
    };
    add(recording);
    const auto trimmed = cli_.run({"trim", "Padded"});
    ASSERT_EQ(trimmed.status, 0) << trimmed.err;
    EXPECT_NE(trimmed.out.find("  Padded  0.3 s • 6 events"), std::string::npos) << trimmed.out;
    EXPECT_NE(cli_.run({"show", "Padded"}).out.find("trimmed by 2.0 s at the start and 1.0 s at the end"),
              std::string::npos);
    const auto undone = cli_.run({"trim", "Padded", "--undo"});
    EXPECT_NE(undone.out.find("  Padded  3.3 s • 6 events"), std::string::npos) << undone.out;
    EXPECT_NE(cli_.run({"show", "Padded"}).out.find("3.3 s, not trimmed"), std::string::npos);
}

TEST_F(LibraryCommands, SaysPlainlyWhatItCannotFind) {
    add("Twin", now_);
    add("Twin", now_ - hours(1));
    const auto twins = cli_.run({"show", "Twin"});
    EXPECT_EQ(twins.status, 1);
    EXPECT_EQ(twins.err,
              "brevanor-cli: Several recordings are named “Twin”; name one by its id (brevanor-cli list).\n");
    const auto missing = cli_.run({"delete", "Nobody"});
    EXPECT_EQ(missing.err, "brevanor-cli: No recording is named “Nobody”, and no id or file matches it.\n");
    const auto unknownId = cli_.run({"show", "6B29FC40-CA47-1067-B31D-00DD010662DA"});
    EXPECT_EQ(unknownId.err,
              "brevanor-cli: No recording in the library has the id 6B29FC40-CA47-1067-B31D-00DD010662DA.\n");
    const auto garbage = file("garbage.macro", "not json at all");
    const auto undecodable = cli_.run({"show", garbage.string()});
    EXPECT_EQ(undecodable.status, 1);
    EXPECT_TRUE(undecodable.err.starts_with("brevanor-cli: " + garbage.string() +
                                            " is not a recording this version of Brevanor understands ("));
    EXPECT_EQ(std::count(undecodable.err.begin(), undecodable.err.end(), '\n'), 1);

    // Meant as files, but no files: said as such, not as a missing name.
    const auto folder = cli_.folder() / "a folder";
    std::filesystem::create_directory(folder);
    const auto pipe = cli_.folder() / "a pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(
        cli_.run({"show", folder.string()}).err,
        "brevanor-cli: " + folder.string() + " is a folder, not a recording file, and no recording is named so.\n");
    EXPECT_EQ(cli_.run({"play", pipe.string()}).err,
              "brevanor-cli: " + pipe.string() + " is a pipe, not a recording file, and no recording is named so.\n");
}

}  // namespace
}  // namespace brevanor
