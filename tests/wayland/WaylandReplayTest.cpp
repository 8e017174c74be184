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

constexpr unsigned kBtnLeft = 0x110, kBtnRight = 0x111;
constexpr unsigned kKeyA = 30, kKeyB = 48, kKeyLeftShift = 42, kKeyEnter = 28;

struct Delivered {
    std::string kind;  // button or key
    unsigned code = 0;
    unsigned state = 0;  // 1 pressed, 0 released
    double x = 0, y = 0;
};

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
        ChildProcess::Options options;
        options.environment = sway_.clientEnvironment();
        options.standardOutput = sway_.folder() / "client.log";
        client_ = std::make_unique<ChildProcess>(
            sway_.asUser({sway_.copyForUser(BREVANOR_WAYLAND_LOGGING_CLIENT).string()}), options);
        ASSERT_TRUE(waitUntil([&] { return logText().find("ready ") != std::string::npos; }))
            << "the logging client did not come up: " << logText();
    }
    void TearDown() override {
        if (client_) client_->terminate();
    }

    std::string logText() const { return readFile(sway_.folder() / "client.log"); }
    std::vector<Delivered> delivered() const {
        std::vector<Delivered> events;
        std::istringstream lines(logText());
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            Delivered event;
            words >> event.kind >> event.code >> event.state;
            if (event.kind == "button") words >> event.x >> event.y;
            if (event.kind == "button" || event.kind == "key") events.push_back(event);
        }
        return events;
    }

    // brevanor-cli play on a recording file, in this sway's session with no X display.
    std::unique_ptr<ChildProcess> play(const std::string& document) {
        const auto file = sway_.folder() / "replay.macro";
        std::ofstream(file) << document;
        ChildProcess::Options options;
        options.environment = sway_.clientEnvironment();
        options.environment.emplace_back("XDG_DATA_HOME", (sway_.folder() / "data").string());
        options.environment.emplace_back("XDG_CONFIG_HOME", (sway_.folder() / "config-home").string());
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

    const std::vector<Delivered> expected{{"button", kBtnLeft, 1, 100, 200},
                                          {"button", kBtnLeft, 0, 100, 200},
                                          {"button", kBtnRight, 1, 1279, 719},
                                          {"button", kBtnRight, 0, 1279, 719},
                                          {"button", kBtnLeft, 1, 0, 0},
                                          {"button", kBtnLeft, 0, 0, 0},
                                          {"key", kKeyA, 1},
                                          {"key", kKeyA, 0},
                                          {"key", kKeyLeftShift, 1},
                                          {"key", kKeyB, 1},
                                          {"key", kKeyB, 0},
                                          {"key", kKeyLeftShift, 0},
                                          {"key", kKeyEnter, 1},
                                          {"key", kKeyEnter, 0}};
    const auto got = delivered();
    ASSERT_EQ(got.size(), expected.size()) << logText();
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].kind, expected[i].kind);
        EXPECT_EQ(got[i].code, expected[i].code);
        EXPECT_EQ(got[i].state, expected[i].state);
        EXPECT_EQ(got[i].x, expected[i].x);  // 0 px: the very pixel
        EXPECT_EQ(got[i].y, expected[i].y);
    }
    // The recording's Shift reached the client as Shift: its modifiers report it held around "b".
    EXPECT_NE(logText().find("modifiers 1 0 0 0"), std::string::npos) << logText();
}

// Without read access to the input devices, recording says what to do instead
// of starting a recording that stays empty. This machine has no /dev/input at
// all, which reads the same; where root can read the devices, it cannot show.
TEST_F(WaylandReplay, RecordingWithoutAccessToTheInputDevicesSaysWhatToDo) {
    if (EvdevInputSource::canReadInputDevices()) GTEST_SKIP() << "this user can read the input devices here";
    ChildProcess::Options options;
    options.environment = sway_.clientEnvironment();
    options.environment.emplace_back("XDG_DATA_HOME", (sway_.folder() / "data").string());
    options.environment.emplace_back("XDG_CONFIG_HOME", (sway_.folder() / "config-home").string());
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
    const auto held = [&](const std::string& kind, unsigned code, unsigned state) {
        const auto got = delivered();
        return std::any_of(got.begin(), got.end(), [&](const Delivered& event) {
            return event.kind == kind && event.code == code && event.state == state;
        });
    };
    ASSERT_TRUE(waitUntil([&] { return held("key", kKeyA, 1) && held("button", kBtnLeft, 1); }))
        << logText() << playErrors();
    player->sendSignal(GetParam());
    player->waitFor(std::chrono::seconds(10));
    EXPECT_TRUE(waitUntil([&] { return held("key", kKeyA, 0); }, std::chrono::seconds(3))) << logText();
    EXPECT_TRUE(waitUntil([&] { return held("button", kBtnLeft, 0); }, std::chrono::seconds(3))) << logText();
}

INSTANTIATE_TEST_SUITE_P(Signals, WaylandReplayEnding, ::testing::Values(SIGINT, SIGTERM, SIGKILL),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
}  // namespace brevanor::testing
