// brevanor-cli record as its own process beside others: while another
// brevanor-cli replays on the same display, as when the tray application
// records and a script plays, nothing of the replay may be recorded, and input
// from a program that is not Brevanor (xdotool here) in the same time is the
// user's and must be; and where the library cannot take what it recorded, it
// keeps the recording whole elsewhere.

#include <simdjson.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/EndToEndFixture.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;

// Records with a brevanor-cli of its own while another brevanor-cli replays
// clicks and keys and xdotool then clicks and types Z.
TEST_F(EndToEnd, NothingOfAReplayFromAnotherProcessIsRecordedWhatTheUserDoesIs) {
    const std::string id = session_->record(
        "mousemove 200 150\nsleep 0.1\nclick 1\nsleep 0.1\n"
        "mousemove 420 300\nsleep 0.1\nclick 3\nsleep 0.1\n"
        "mousemove 260 440\nsleep 0.1\nclick 1\nsleep 0.1\nclick 1\nsleep 0.1\n"
        "type --delay 60 replayed\nsleep 0.1\nkey --delay 40 Tab\nsleep 0.1\n");
    const ChildProcess::Options options = session_->childOptions("listening-record");
    ChildProcess recorder({BREVANOR_CLI_PROGRAM, "record", "--countdown", "0"}, options);
    ASSERT_TRUE(testing::waitUntil(
        [&] { return readFile(options.standardError).find("Recording.") != std::string::npos; }, 15s))
        << "the recorder did not start";

    const auto played = session_->cli({"play", id, "--yes"});
    EXPECT_EQ(played.exitStatus, 0) << played.errors;
    // Stopped by its shortcut, which the recorder reads after everything before it.
    session_->drive(
        "mousemove 700 500\nsleep 0.1\nclick 1\nsleep 0.1\nkey --delay 40 z\nsleep 0.1\n"
        "key ctrl+alt+super+r\n");
    ASSERT_EQ(recorder.waitFor(30s), 0) << readFile(options.standardError);

    const std::string recorded = readFile(options.standardOutput);
    const auto shown = session_->cli({"show", recorded.substr(0, recorded.find('\n')), "--json"});
    ASSERT_EQ(shown.exitStatus, 0) << shown.errors;
    // Each input but the moves and pauses between them: its type, where it was and its key.
    std::vector<std::string> inputs;
    simdjson::dom::parser parser;
    simdjson::dom::element document;
    ASSERT_EQ(parser.parse(shown.output).get(document), simdjson::SUCCESS) << shown.output;
    for (const simdjson::dom::element event : document["events"].get_array()) {
        std::ostringstream input;
        input << std::string_view(event["type"]);
        if (input.str() == "idleGap" || input.str() == "mousePath") continue;
        if (double x = 0, y = 0; event["x"].get(x) == simdjson::SUCCESS && event["y"].get(y) == simdjson::SUCCESS) {
            input << " at " << x << "," << y;
        }
        if (std::int64_t keyCode = 0; event["keyCode"].get(keyCode) == simdjson::SUCCESS) input << " key " << keyCode;
        inputs.push_back(input.str());
    }
    EXPECT_EQ(inputs, (std::vector<std::string>{"mouseDown at 700,500", "mouseUp at 700,500", "keyDown key 6",
                                                "keyUp key 6"}));  // Z
}

// The library folder gone bad (here a file in its place; a full or read-only disk alike): the
// recording is kept whole in the state folder, and the recorder says where.
TEST_F(EndToEnd, ARecordingTheLibraryCannotTakeIsKeptWholeInTheStateFolder) {
    ChildProcess::Options options = session_->childOptions("homeless-record");
    const auto unsaved = session_->folder() / "state/Brevanor/Unsaved";
    ChildProcess recorder({BREVANOR_CLI_PROGRAM, "record", "--countdown", "0", "--name", "Homeless"}, options);
    ASSERT_TRUE(testing::waitUntil(
        [&] { return readFile(options.standardError).find("Recording.") != std::string::npos; }, 15s))
        << "the recorder did not start";
    const auto library = session_->folder() / "data/Brevanor/Recordings";
    std::filesystem::remove_all(library);
    std::ofstream(library) << "in the library's way";
    session_->drive("type --delay 20 hello\nkey ctrl+alt+super+r\n");
    EXPECT_EQ(recorder.waitFor(30s), 1);

    const std::string said = readFile(options.standardError);
    EXPECT_NE(said.find("Could not save “Homeless” in the library: "), std::string::npos) << said;
    EXPECT_NE(said.find("It is kept in " + unsaved.string()), std::string::npos) << said;
    ASSERT_TRUE(std::filesystem::is_directory(unsaved));
    const std::string kept = readFile(std::filesystem::directory_iterator(unsaved)->path());
    EXPECT_NE(kept.find(R"("name":"Homeless")"), std::string::npos) << kept;
    EXPECT_EQ(countOf(kept, R"("type":"keyDown")"), 5u) << kept;
}

}  // namespace
}  // namespace brevanor
