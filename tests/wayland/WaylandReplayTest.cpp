// brevanor-cli on a headless sway with no X server: it must pick the Wayland
// backend by itself, land every click on its pixel, type keys in order, and
// leave nothing held however the player ends. A full-screen logging client
// of ours is the witness: it logs what the compositor delivered to it.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "cli/ChildProcess.h"
#include "platform/wayland/EvdevInputSource.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/support/WaitUntil.h"
#include "tests/wayland/HeadlessSway.h"

namespace brevanor::testing {
namespace {

// One recording document with `events` (JSON objects) lasting `durationNanos`.
std::string recordingDocument(const std::string& events, unsigned long long durationNanos) {
    return R"({"createdAt":"2026-12-07T10:00:00Z","durationNanos":)" + std::to_string(durationNanos) +
           R"(,"environment":{"displays":[{"frame":{"height":720,"width":1280,"x":0,"y":0},"id":1,"scale":1}]},)"
           R"("eventCount":0,"events":[)" +
           events +
           R"(],"id":"0B7E1C52-5C5A-4C55-9E33-2A1D3F7B9A10","name":"Wayland replay","schemaVersion":1,)"
           R"("settings":{"containsSensitiveInput":false,"cursorMode":"absolute","delayBetweenRepeatsSec":0,)"
           R"("extraDelayBeforeClickMs":0,"notes":"","repeatCount":1,"repeatInfinite":false,)"
           R"("silencedWarnings":[],"speed":1},"trim":{"leadingNanos":0,"trailingNanos":0}})";
}

std::string click(const char* button, double x, double y, unsigned long long downMs, unsigned long long upMs) {
    std::ostringstream text;
    for (const auto& [type, ms] : {std::pair{"mouseDown", downMs}, std::pair{"mouseUp", upMs}}) {
        text << R"({"button":")" << button << R"(","clickCount":1,"mods":0,"t":)" << ms * 1'000'000 << R"(,"type":")"
             << type << R"(","x":)" << x << R"(,"y":)" << y << "},";
    }
    return text.str();
}

std::string key(const char* type, int keyCode, unsigned long long ms, const char* extra = "") {
    return R"({"keyCode":)" + std::to_string(keyCode) + R"(,"mods":0,"t":)" + std::to_string(ms * 1'000'000) +
           R"(,"type":")" + type + "\"" + extra + "},";
}

class WaylandReplay : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sway_.problem().empty()) GTEST_SKIP() << sway_.problem();
        client_ = sway_.startLoggingClient(BREVANOR_WAYLAND_LOGGING_CLIENT);
        ASSERT_TRUE(client_) << "the logging client did not come up: " << sway_.clientLog();
    }

    // brevanor-cli play on a recording file, in this sway's session with no X display.
    std::unique_ptr<ChildProcess> play(const std::string& document) {
        const auto file = sway_.folder() / "replay.macro";
        std::ofstream(file) << document;
        ChildProcess::Options options;
        options.environment = sway_.programEnvironment();
        options.standardError = sway_.folder() / "play.err";
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{BREVANOR_CLI_PROGRAM, "play", file.string(), "--yes"}, options);
    }
    std::string playErrors() const { return readFile(sway_.folder() / "play.err"); }

    HeadlessSway sway_;
    std::unique_ptr<ChildProcess> client_;
};

TEST_F(WaylandReplay, PlayPicksWaylandByItselfAndLandsClicksOnTheirPixelsAndKeysInOrder) {
    const std::string events = click("left", 100, 200, 100, 150) + click("right", 1279, 719, 300, 350) +
                               click("left", 0, 0, 400, 420) + key("keyDown", 0, 500, R"(,"isRepeat":false)") +
                               key("keyUp", 0, 550) + key("flagsChanged", 56, 600, R"(,"down":true)") +
                               key("keyDown", 11, 620, R"(,"isRepeat":false)") + key("keyUp", 11, 640) +
                               key("flagsChanged", 56, 660, R"(,"down":false)") +
                               key("keyDown", 36, 700, R"(,"isRepeat":false)") + key("keyUp", 36, 720) +
                               R"({"durationNanos":80000000,"t":720000000,"type":"idleGap"})";
    auto player = play(recordingDocument(events, 800'000'000));
    const auto status = player->waitFor(std::chrono::seconds(20));
    ASSERT_EQ(status, 0) << playErrors();

    // Buttons (272 left, 273 right) at their very pixel; keys A (30), Shift (42), B (48), Enter (28).
    EXPECT_EQ(sway_.clientLog({"button", "key"}),
              "button 272 1 100.00 200.00\nbutton 272 0 100.00 200.00\nbutton 273 1 1279.00 719.00\n"
              "button 273 0 1279.00 719.00\nbutton 272 1 0.00 0.00\nbutton 272 0 0.00 0.00\n"
              "key 30 1\nkey 30 0\nkey 42 1\nkey 48 1\nkey 48 0\nkey 42 0\nkey 28 1\nkey 28 0\n");
    // The recording's Shift reached the client as Shift: its modifiers report it held around "b".
    EXPECT_NE(sway_.clientLog().find("modifiers 1 0 0 0"), std::string::npos) << sway_.clientLog();
}

// Without read access to the input devices, recording says what to do instead
// of starting a recording that stays empty. This machine has no /dev/input at
// all, which reads the same; where root can read the devices, it cannot show.
TEST_F(WaylandReplay, RecordingWithoutAccessToTheInputDevicesSaysWhatToDo) {
    if (EvdevInputSource::canReadInputDevices()) GTEST_SKIP() << "this user can read the input devices here";
    ChildProcess::Options options;
    options.environment = sway_.programEnvironment();
    options.standardError = sway_.folder() / "record.err";
    ChildProcess recorder({BREVANOR_CLI_PROGRAM, "record", "--countdown", "0"}, options);
    EXPECT_EQ(recorder.waitFor(std::chrono::seconds(20)), 1);
    EXPECT_EQ(readFile(sway_.folder() / "record.err"),
              "brevanor-cli: Brevanor cannot read /dev/input, so it cannot record: add yourself to the input group "
              "(sudo usermod -aG input $USER), then log out and back in.\n");
}

// Every way a player can end while it holds a key and a button: stopped
// (Ctrl+C), told to quit (SIGTERM), or killed outright.
class WaylandReplayEnding : public WaylandReplay, public ::testing::WithParamInterface<int> {};

TEST_P(WaylandReplayEnding, LeavesNoKeyOrButtonHeld) {
    const std::string events =
        key("keyDown", 0, 100, R"(,"isRepeat":false)") +
        R"({"button":"left","clickCount":1,"mods":0,"t":150000000,"type":"mouseDown","x":50,"y":60},)" +
        R"({"durationNanos":20000000000,"t":150000000,"type":"idleGap"},)" + key("keyUp", 0, 20'150) +
        R"({"button":"left","clickCount":1,"mods":0,"t":20150000000,"type":"mouseUp","x":50,"y":60})";
    auto player = play(recordingDocument(events, 20'200'000'000));
    const auto delivered = [&](const char* line) { return sway_.clientLog().find(line) != std::string::npos; };
    ASSERT_TRUE(waitUntil([&] { return delivered("key 30 1\n") && delivered("button 272 1 "); }))
        << sway_.clientLog() << playErrors();
    player->sendSignal(GetParam());
    player->waitFor(std::chrono::seconds(10));
    EXPECT_TRUE(waitUntil([&] { return delivered("key 30 0\n"); }, std::chrono::seconds(3))) << sway_.clientLog();
    EXPECT_TRUE(waitUntil([&] { return delivered("button 272 0 "); }, std::chrono::seconds(3))) << sway_.clientLog();
}

INSTANTIATE_TEST_SUITE_P(Signals, WaylandReplayEnding, ::testing::Values(SIGINT, SIGTERM, SIGKILL),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
}  // namespace brevanor::testing
