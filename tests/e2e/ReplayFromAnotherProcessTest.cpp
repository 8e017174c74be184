// One brevanor-cli records while another replays on the same display, as
// when the tray application records and a script plays: nothing of the
// replay may be recorded, and input from a program that is not Brevanor
// (xdotool here) in the same time is the user's and must be.

#include <signal.h>
#include <simdjson.h>

#include <thread>

#include "tests/e2e/EndToEndFixture.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;

struct RecordedInput {
    std::string type;
    double x = 0;
    double y = 0;
    std::int64_t keyCode = -1;

    friend bool operator==(const RecordedInput&, const RecordedInput&) = default;
};

std::ostream& operator<<(std::ostream& out, const RecordedInput& input) {
    return out << input.type << " (" << input.x << ", " << input.y << ") key " << input.keyCode;
}

class ReplayFromAnotherProcess : public EndToEnd {
protected:
    // Records with a brevanor-cli of its own while another brevanor-cli
    // replays `id` and xdotool then performs `userScript`; answers the
    // clicks and keys of that recording.
    std::vector<RecordedInput> recordDuringReplay(const std::string& id, const std::string& userScript) {
        const ChildProcess::Options options = session_->childOptions("listening-record");
        ChildProcess recorder({BREVANOR_CLI_PROGRAM, "record", "--countdown", "0"}, options);
        EXPECT_TRUE(testing::waitUntil(
            [&] { return readFile(options.standardError).find("Recording.") != std::string::npos; }, 15s))
            << "the recorder did not start";

        const auto played = session_->cli({"play", id, "--yes"});
        EXPECT_EQ(played.exitStatus, 0) << played.errors;
        // Stopped by its shortcut, which the recorder reads after everything before it.
        session_->drive(userScript + "key ctrl+alt+super+r\n");
        EXPECT_EQ(recorder.waitFor(30s), 0) << readFile(options.standardError);

        const std::string recorded = readFile(options.standardOutput);
        const auto shown = session_->cli({"show", recorded.substr(0, recorded.find('\n')), "--json"});
        EXPECT_EQ(shown.exitStatus, 0) << shown.errors;
        std::vector<RecordedInput> inputs;
        simdjson::dom::parser parser;
        simdjson::dom::element document;
        if (parser.parse(shown.output).get(document) != simdjson::SUCCESS) {
            ADD_FAILURE() << "unreadable: " << shown.output;
            return inputs;
        }
        for (const simdjson::dom::element event : document["events"].get_array()) {
            RecordedInput input{std::string(std::string_view(event["type"]))};
            if (input.type == "idleGap" || input.type == "mousePath") continue;
            if (double x = 0, y = 0; event["x"].get(x) == simdjson::SUCCESS && event["y"].get(y) == simdjson::SUCCESS) {
                input.x = x;
                input.y = y;
            }
            if (std::int64_t keyCode = 0; event["keyCode"].get(keyCode) == simdjson::SUCCESS) input.keyCode = keyCode;
            inputs.push_back(input);
        }
        return inputs;
    }
};

TEST_F(ReplayFromAnotherProcess, ClicksOfTheReplayAreNotRecordedTheUsersAre) {
    const std::string id = session_->record(
        "mousemove 200 150\nsleep 0.1\nclick 1\nsleep 0.1\n"
        "mousemove 420 300\nsleep 0.1\nclick 3\nsleep 0.1\n"
        "mousemove 260 440\nsleep 0.1\nclick 1\nsleep 0.1\nclick 1\nsleep 0.1\n");
    const auto inputs = recordDuringReplay(id, "mousemove 700 500\nsleep 0.1\nclick 1\nsleep 0.1\n");
    const std::vector<RecordedInput> expected{{"mouseDown", 700, 500}, {"mouseUp", 700, 500}};
    EXPECT_EQ(inputs, expected);
}

TEST_F(ReplayFromAnotherProcess, KeysOfTheReplayAreNotRecordedTheUsersAre) {
    const std::string id = session_->record("type --delay 60 replayed\nsleep 0.1\nkey --delay 40 Tab\nsleep 0.1\n");
    const auto inputs = recordDuringReplay(id, "key --delay 40 z\nsleep 0.1\n");
    const std::vector<RecordedInput> expected{{"keyDown", 0, 0, 6}, {"keyUp", 0, 0, 6}};  // Z
    EXPECT_EQ(inputs, expected);
}

}  // namespace
}  // namespace brevanor
