// The scenarios users record most, each performed by xdotool in a private X
// server, recorded and replayed by brevanor-cli and judged by the comparator
// against what the outside logger saw.

#include <signal.h>
#include <simdjson.h>
#include <unistd.h>

#include <algorithm>

#include "platform/x11/X11HeldInput.h"
#include "tests/e2e/EndToEndFixture.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

// Modifier keys are pressed and released around the keys they change; every
// press is held a little, as fingers hold them.
constexpr const char* kFormFill =
    "mousemove 240 180\nsleep 0.3\n"
    "mousedown 1\nsleep 0.06\nmouseup 1\nsleep 0.25\n"
    "keydown shift\nsleep 0.05\nkey --delay 30 j\nsleep 0.05\nkeyup shift\nsleep 0.05\n"
    "type --delay 80 ane\nsleep 0.2\n"
    "key --delay 30 Tab\nsleep 0.2\n"
    "type --delay 80 doe\nsleep 0.25\n"
    "mousemove 240 260\nsleep 0.2\n"
    "mousedown 1\nsleep 0.05\nmouseup 1\nsleep 0.2\n"
    "keydown ctrl\nsleep 0.05\nkey --delay 30 a\nsleep 0.05\nkeyup ctrl\nsleep 0.1\n"
    "keydown ctrl\nsleep 0.04\nkeydown alt\nsleep 0.05\nkey --delay 30 v\nsleep 0.05\nkeyup alt\nsleep 0.04\n"
    "keyup ctrl\nsleep 0.25\n"
    "mousemove 400 520\nsleep 0.2\n"
    "mousedown 1\nsleep 0.07\nmouseup 1\nsleep 0.3\n";

TEST_F(EndToEnd, FormFillWithModifiersStoppedByHoldingEscape) {
    const std::string id = session_->record(kFormFill, AcceptanceSession::StopBy::escapeHold);
    const auto document = session_->cli({"show", id, "--json"});
    ASSERT_EQ(document.exitStatus, 0) << document.errors;
    EXPECT_NE(document.output.find(R"("type":"flagsChanged")"), std::string::npos);
    EXPECT_EQ(document.output.find(R"("keyCode":53)"), std::string::npos) << "the Esc hold that stopped it is cut";

    const AcceptanceReport report = replay(id, {"--repeat", "2", "--delay", "0.3"});
    EXPECT_PASSES(report);
    ASSERT_EQ(report.runs.size(), 2u);
    // The comparator leaves modifiers aside; a form fill depends on them.
    const auto reference = comparable(session_->referenceEntries(), false);
    const auto replayed = comparable(session_->replayEntries(), true);
    ASSERT_EQ(replayed.size(), 2 * reference.size());
    for (std::size_t i = 0; i < replayed.size(); ++i) {
        EXPECT_EQ(replayed[i].mods, reference[i % reference.size()].mods) << "event " << i;
        EXPECT_EQ(replayed[i].keyCode, reference[i % reference.size()].keyCode) << "event " << i;
    }
}

TEST_F(EndToEnd, DragHeavyDrawing) {
    // Absolute moves warp the pointer, which no device reports; the strokes move it as a mouse does.
    std::string script = "mousemove 200 200\nsleep 0.3\n";
    for (int stroke = 0; stroke < 4; ++stroke) {
        script += "mousemove 200 " + std::to_string(200 + stroke * 90) + "\nsleep 0.1\nmousedown 1\nsleep 0.05\n";
        for (int step = 1; step <= 25; ++step) {
            script += "mousemove_relative -- 24 " + std::to_string(step % 5 == 0 ? -36 : 9) + "\nsleep 0.016\n";
        }
        script += "sleep 0.04\nmouseup 1\nsleep 0.2\n";
    }
    const std::string id = session_->record(script);
    const auto events = session_->cli({"show", id, "--events"});
    EXPECT_GE(countOf(events.output, "mousePath"), 4u) << events.output;
    const AcceptanceReport report = replay(id, {"--repeat", "2", "--delay", "0.3"});
    EXPECT_PASSES(report);
    for (const auto& run : report.runs) EXPECT_EQ(run.maxPositionError, 0.0);
}

TEST_F(EndToEnd, FastTypingAtTwentyKeysASecond) {
    const std::string id = session_->record(
        "mousemove 300 300\nsleep 0.2\nmousedown 1\nsleep 0.05\nmouseup 1\nsleep 0.2\n"
        "type --delay 50 'the quick brown fox jumps over the lazy dog'\nsleep 0.2\n");
    const AcceptanceReport report = replay(id, {"--repeat", "2", "--delay", "0.3"});
    EXPECT_PASSES(report);
    ASSERT_FALSE(report.runs.empty());
    EXPECT_EQ(report.runs[0].expectedCount, 2 + 2 * 43);
}

TEST_F(EndToEnd, LongPausesAndATrim) {
    const std::string id = session_->record(
        "sleep 2\n"
        "mousemove 500 400\nsleep 0.1\nmousedown 1\nsleep 0.05\nmouseup 1\n"
        "sleep 1.5\n"
        "type --delay 80 ok\n"
        "sleep 1.2\n"
        "mousedown 3\nsleep 0.05\nmouseup 3\n"
        "sleep 1.5\n");
    simdjson::dom::parser parser;
    const simdjson::dom::array list = parser.parse(session_->cli({"list", "--json"}).output).get_array();
    ASSERT_EQ(list.size(), 1u);
    const auto duration = std::uint64_t(list.at(0)["durationNanos"]);
    const auto trimmed = std::uint64_t(list.at(0)["trimmedDurationNanos"]);
    EXPECT_GT(duration - trimmed, 3'000'000'000u) << "the idle lead and tail are trimmed when it is saved";
    EXPECT_GT(trimmed, 2'700'000'000u) << "the pauses inside stay";

    const AcceptanceReport report = replay(id, {});
    EXPECT_PASSES(report);
}

TEST_F(EndToEnd, RelativeToTheCursorStartedElsewhere) {
    const std::string id = session_->record(
        "mousemove 300 300\nsleep 0.2\n"
        "mousedown 1\nsleep 0.05\nmouseup 1\nsleep 0.2\n"
        "mousemove 420 340\nsleep 0.15\nmousedown 1\nsleep 0.05\nmouseup 1\nsleep 0.2\n"
        "click 5\nsleep 0.15\n"
        "mousemove 360 460\nsleep 0.1\nmousedown 3\nsleep 0.06\nmouseup 3\nsleep 0.2\n");
    // Everything lands where it was recorded, shifted by where the cursor started against where the recording did.
    const AcceptanceReport report = replay(
        id, {"--cursor", "cursor"},
        [](std::vector<HarnessLogEntry> reference) {
            for (HarnessLogEntry& entry : reference) {
                entry.x += 200;
                entry.y += 150;
            }
            return reference;
        },
        [&] { session_->drive("mousemove 500 450\n"); });
    EXPECT_PASSES(report);
    EXPECT_FALSE(session_->report().passed()) << "the replay must not land where the recording did";
}

TEST_F(EndToEnd, DoubleSpeedKeepsHalfTheTiming) {
    const std::string id = session_->record(
        "mousemove 300 300\nsleep 0.2\n"
        "mousedown 1\nsleep 0.1\nmouseup 1\nsleep 0.4\n"
        "type --delay 120 speed\nsleep 0.3\n"
        "keydown shift\nsleep 0.1\nkey --delay 60 x\nsleep 0.1\nkeyup shift\nsleep 0.5\n"
        "mousemove 600 400\nsleep 0.2\nmousedown 1\nsleep 0.1\nmouseup 1\nsleep 0.3\n"
        "click 4\nsleep 0.3\n");
    const AcceptanceReport report = replay(id, {"--speed", "2"}, [](std::vector<HarnessLogEntry> reference) {
        const std::uint64_t start = comparable(reference, false).front().t;
        for (HarnessLogEntry& entry : reference) entry.t = start + (entry.t - std::min(entry.t, start)) / 2;
        return reference;
    });
    EXPECT_PASSES(report);
    EXPECT_FALSE(session_->report().passed()) << "at double speed the recorded timing must not hold";
}

TEST_F(EndToEnd, StoppingPlaybackReleasesEverythingItHeld) {
    X11HeldInput held(server_->displayName());
    const auto waitUntilHeld = [&] { return testing::waitUntil([&] { return held.isAnyKeyOrButtonHeld(); }); };
    const std::string id = session_->record(
        "mousemove 300 300\nsleep 0.1\n"
        "keydown shift\nsleep 0.05\nkeydown a\nsleep 0.05\nmousedown 1\nsleep 0.05\n"
        "mousemove 340 320\nsleep 1.5\nmousemove 360 330\nsleep 0.05\n"
        "mouseup 1\nsleep 0.05\nkeyup a\nsleep 0.05\nkeyup shift\nsleep 0.2\n");
    const auto journal = session_->folder() / "runtime" / ("brevanor-synthetic-input-v1-" + server_->displayName());
    for (int signal : {SIGINT, SIGTERM}) {
        ChildProcess::Options options = session_->childOptions("stopped-play");
        ChildProcess player({BREVANOR_CLI_PROGRAM, "play", id, "--forever", "--yes"}, options);
        // Stop it during the long hold, while the key, the modifier and the button are down.
        ASSERT_TRUE(waitUntilHeld()) << "the replay never held its input";
        // The first time, another program has cut the shared synthetic-input journal short under the
        // player (as `: > file` does): noting its releases there must not end it with its input held.
        if (signal == SIGINT) {
            ASSERT_EQ(::truncate(journal.c_str(), 0), 0);
        }
        ASSERT_FALSE(player.exitStatus().has_value()) << "a playback without end ended by itself";
        player.sendSignal(signal);
        EXPECT_EQ(player.waitFor(std::chrono::seconds(10)), 128 + signal);
        EXPECT_FALSE(held.isAnyKeyOrButtonHeld()) << "after signal " << signal;
    }
    // Holding Esc for a second stops it too.
    ChildProcess player({BREVANOR_CLI_PROGRAM, "play", id, "--forever", "--yes"}, session_->childOptions("esc-play"));
    ASSERT_TRUE(waitUntilHeld()) << "the replay never held its input";
    session_->drive("keydown Escape\nsleep 1.3\nkeyup Escape\n");
    EXPECT_EQ(player.waitFor(std::chrono::seconds(10)), 1);
    EXPECT_FALSE(held.isAnyKeyOrButtonHeld()) << "after the Esc hold";
}

}  // namespace
}  // namespace brevanor
