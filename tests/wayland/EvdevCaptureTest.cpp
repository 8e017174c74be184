// Recording on Wayland from a keyboard and a mouse that umockdev emulates
// (this kernel has no /dev/input): the descriptions in devices/ answer
// libevdev's questions, and evemu event files written here deliver events
// whose kernel time stamps the recording must keep exactly. Once through
// brevanor-cli record, once through the application, started on the headless
// sway without an X server and driven by brevanor --record and --stop. The
// emulated mouse never reaches sway: the test moves sway's pointer with a
// virtual pointer of its own, and the clicks must be recorded where sway had
// it, not where the emulated deltas would put them.
#include <gtest/gtest.h>
#include <linux/input.h>
#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>

#include "base/time/MonotonicClock.h"
#include "cli/ChildProcess.h"
#include "core/model/Recording.h"
#include "core/model/RecordingJSONDecoder.h"
#include "platform/wayland/WaylandInputInjector.h"
#include "tests/desktop/BrevanorEnvironment.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/support/WaitUntil.h"
#include "tests/wayland/HeadlessSway.h"

namespace brevanor::testing {
namespace {

using Kind = RecordingEvent::Kind;

constexpr std::uint64_t kMs = 1'000'000;

// One evemu line. umockdev reads the microseconds as a C integer, where a
// leading zero means octal, so they are written without padding.
std::string evemu(std::uint64_t nanos, int type, int code, int value) {
    std::ostringstream line;
    line << "E: " << nanos / 1'000'000'000 << "." << nanos % 1'000'000'000 / 1000 << " " << std::hex << std::uppercase
         << type << " " << code << " " << std::dec << value << "\n";
    return line.str();
}

class EvdevCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ChildProcess::isAvailable("umockdev-run"))
            GTEST_SKIP() << "umockdev is not installed (Debian package umockdev)";
        // The compositor that accepts Brevanor's virtual devices, which recording asks for.
        if (!sway.problem().empty()) GTEST_SKIP() << sway.problem();
    }

    // Times on the clock of the recording, far enough ahead to fall after its
    // start. umockdev plays a file from the moment its device is opened, so
    // each device first sends a report that records nothing: the real events
    // come `lead` after the device is opened, once the recorder runs.
    void writeEvents(std::uint64_t lead) {
        base = MonotonicClock::now() + lead + 3000 * kMs;
        writeDevice("keyboard", lead,
                    report(0, EV_KEY, KEY_A, 1) + report(100, EV_KEY, KEY_A, 0) + report(250, EV_KEY, KEY_B, 1) +
                        report(300, EV_KEY, KEY_B, 0));
        writeDevice("mouse", lead,
                    motion(500, 5, -3) + report(550, EV_KEY, BTN_RIGHT, 1) + report(600, EV_KEY, BTN_RIGHT, 0) +
                        report(650, EV_REL, REL_WHEEL, -2));
        // Brevanor's own replay device on KDE and GNOME clicks too: none of it is the user's.
        writeDevice("replay-device", lead, report(700, EV_KEY, BTN_LEFT, 1) + report(750, EV_KEY, BTN_LEFT, 0));
    }

    // The events file of `device`: the report that records nothing, `lead` before `base`, then `reports`.
    void writeDevice(const std::string& device, std::uint64_t lead, const std::string& reports) const {
        std::ofstream(sway.folder() / (device + ".events")) << "# EVEMU 1.2\n"
                                                            << evemu(base - lead, EV_MSC, MSC_SCAN, 1) << reports;
    }
    // One event and its SYN_REPORT, `ms` after `base`.
    std::string report(std::uint64_t ms, int type, int code, int value) const {
        return evemu(base + ms * kMs, type, code, value) + evemu(base + ms * kMs, EV_SYN, 0, 0);
    }
    std::string motion(std::uint64_t ms, int dx, int dy) const {
        return evemu(base + ms * kMs, EV_REL, REL_X, dx) + report(ms, EV_REL, REL_Y, dy);
    }

    // `program` with `arguments` under umockdev, with the `devices` described
    // in devices/, in the background of a shell that writes its process id to `pidFile`.
    std::vector<std::string> withDevices(const std::string& program, const std::string& arguments,
                                         const std::vector<std::string>& emulated = {"keyboard", "mouse"}) const {
        const std::string devices = BREVANOR_TEST_DEVICES;
        std::vector<std::string> command{"umockdev-run"};
        int number = 5;
        for (const std::string& device : emulated) {
            const std::string node = "/dev/input/event" + std::to_string(number++);
            command.insert(command.end(), {"-d", devices + "/" + device + ".umockdev", "-i",
                                           node + "=" + devices + "/" + device + ".ioctl", "-e",
                                           node + "=" + (sway.folder() / (device + ".events")).string()});
        }
        command.insert(
            command.end(),
            {"--", "sh", "-c", "\"$0\" " + arguments + " & echo $! > '" + pidFile().string() + "'; wait $!", program});
        return command;
    }

    std::filesystem::path pidFile() const { return sway.folder() / "recorder.pid"; }

    // Moves sway's own pointer, as a user's real mouse would. A sway just
    // started may not offer virtual pointers yet: a new one is tried until it does.
    void movePointer(Point place) {
        ASSERT_TRUE(waitUntil([&] {
            if (!pointer || !pointer->canPost()) pointer = std::make_unique<WaylandInputInjector>(sway.socket());
            return pointer->post(SyntheticInput{.type = SyntheticInput::Type::mouseMoved, .x = place.x, .y = place.y});
        }));
    }

    // Sends `signal` to the program withDevices() started, once it has told its process id.
    void signalRecorder(int signal) const {
        ASSERT_TRUE(waitUntil([&] { return !readFile(pidFile()).empty(); }));
        kill(std::stoi(readFile(pidFile())), signal);
    }

    // The environment of the programs, brevanor-cli's on this sway unless
    // another is given, where AddressSanitizer's runtime must accept umockdev's
    // library ahead of everything (and not count its allocations as leaks).
    ChildProcess::Options options(std::vector<std::pair<std::string, std::string>> environment = {}) const {
        ChildProcess::Options options;
        options.environment = environment.empty() ? sway.programEnvironment() : std::move(environment);
        const char* sanitizer = std::getenv("ASAN_OPTIONS");
        options.environment.emplace_back(
            "ASAN_OPTIONS", std::string(sanitizer ? sanitizer : "") + ":verify_asan_link_order=0:detect_leaks=0");
        options.standardOutput = sway.folder() / "recorder.out";
        options.standardError = sway.folder() / "recorder.err";
        return options;
    }

    // The recording brevanor-cli record saved and named on its output.
    std::filesystem::path recordedDocument() const {
        std::string id = readFile(sway.folder() / "recorder.out");
        while (!id.empty() && id.back() == '\n') id.pop_back();
        return sway.folder() / "data" / "Brevanor" / "Recordings" / (id + ".json");
    }

    // umockdev's emulated devices now and then hand out a read of no whole
    // events (a bare libevdev reader sees it too), which loses them before
    // Brevanor can see them. Brevanor says so, and such a run proves nothing.
    bool anEmulatedDeviceBroke() const {
        return readFile(sway.folder() / "recorder.err").find("may be missing") != std::string::npos;
    }

    // Waits until every event's time has passed.
    static void waitForTheEvents(std::uint64_t until) {
        ASSERT_TRUE(waitUntil([&] { return MonotonicClock::now() > until; }, std::chrono::seconds(30)));
    }

    // The recording holds emulated events only, each at its kernel time (to
    // the nanosecond, all shifted alike): every one of them, or every one of
    // the mouse where the keyboard's are `shared` with another reader; the
    // right click where sway had the pointer, `click`.
    void expectTheEmulatedEvents(const std::filesystem::path& document, Point click, bool shared = false) const {
        const Recording recording = Recording::makeJSONDecoder().decode(readFile(document));
        // Kind, key code (A is 0, B is 11; 0 for the rest) and time after the first.
        const std::vector<std::tuple<Kind, std::uint16_t, std::uint64_t>> emulated{
            {Kind::keyDown, 0, 0},         {Kind::keyUp, 0, 100 * kMs},     {Kind::keyDown, 11, 250 * kMs},
            {Kind::keyUp, 11, 300 * kMs},  {Kind::mousePath, 0, 500 * kMs}, {Kind::mouseDown, 0, 550 * kMs},
            {Kind::mouseUp, 0, 600 * kMs}, {Kind::scroll, 0, 650 * kMs}};
        std::vector<RecordingEvent> events;
        std::optional<std::uint64_t> shift;
        for (const RecordingEvent& event : recording.events) {
            if (event.isIdleGap()) continue;
            events.push_back(event);
            const bool isKey = event.kind() == Kind::keyDown || event.kind() == Kind::keyUp;
            const auto found = std::ranges::find_if(emulated, [&](const auto& candidate) {
                return std::get<0>(candidate) == event.kind() &&
                       std::get<1>(candidate) == (isKey ? event.key().keyCode : 0);
            });
            ASSERT_NE(found, emulated.end()) << "not emulated: " << readFile(document);
            if (!shift) shift = event.timestamp() - std::get<2>(*found);
            EXPECT_EQ(event.timestamp() - *shift, std::get<2>(*found)) << readFile(document);
        }
        EXPECT_FALSE(recording.environment.relativePositions);
        EXPECT_EQ(recording.settings.cursorMode, CursorMode::absolute);
        if (!shared) {
            ASSERT_EQ(events.size(), emulated.size()) << readFile(document);
        }
        ASSERT_GE(events.size(), 4u) << readFile(document);
        const auto mouse = events.end() - 4;  // the path, the right button down and up, the wheel
        EXPECT_EQ(mouse[0].kind(), Kind::mousePath) << readFile(document);
        EXPECT_EQ(mouse[1].mouseButton().button, MouseButton::right);
        EXPECT_EQ(mouse[1].mouseButton().x, click.x);  // 0 px
        EXPECT_EQ(mouse[1].mouseButton().y, click.y);
        EXPECT_EQ(mouse[3].scrollEvent().scroll.deltaY, -2);
    }

    HeadlessSway sway;
    std::unique_ptr<WaylandInputInjector> pointer;
    std::uint64_t base = 0;  // the first event's time
};

TEST_F(EvdevCaptureTest, TheCommandRecordsEmulatedDevicesWithExactCodesAndKernelTimes) {
    writeEvents(1000 * kMs);
    movePointer({640, 360});
    ChildProcess umockdev(
        withDevices(BREVANOR_CLI_PROGRAM, "record --countdown 0", {"keyboard", "mouse", "replay-device"}), options());
    waitForTheEvents(base + 900 * kMs);
    signalRecorder(SIGINT);  // Ctrl+C ends the recording
    ASSERT_EQ(umockdev.waitFor(std::chrono::seconds(20)), 0) << readFile(sway.folder() / "recorder.err");
    if (anEmulatedDeviceBroke()) GTEST_SKIP() << readFile(sway.folder() / "recorder.err");

    expectTheEmulatedEvents(recordedDocument(), {640, 360});
    EXPECT_EQ(readFile(sway.folder() / "recorder.err").find("Positions: relative."), std::string::npos);
}

// A device whose read gives no whole events loses them before anyone sees
// them: the user is told which device, once.
TEST_F(EvdevCaptureTest, ADeviceThatHandsOutBrokenEventsIsNamed) {
    base = MonotonicClock::now();
    writeDevice("keyboard", 0, "");  // no key at all
    const auto script = sway.folder() / "broken.script";
    std::ofstream(script) << "r 0 " << std::string(30, 'A') << "\n";  // an event and a quarter
    auto command = withDevices(BREVANOR_CLI_PROGRAM, "record --countdown 0");
    const auto mouse =
        std::find(command.begin(), command.end(), "/dev/input/event6=" + (sway.folder() / "mouse.events").string());
    ASSERT_NE(mouse, command.end());
    *(mouse - 1) = "-s";
    *mouse = "/dev/input/event6=" + script.string();
    ChildProcess umockdev(command, options());
    EXPECT_TRUE(waitUntil([&] {
        const std::string told = readFile(sway.folder() / "recorder.err");
        return told.find("Recording.") != std::string::npos && anEmulatedDeviceBroke();
    })) << readFile(sway.folder() / "recorder.err");
    signalRecorder(SIGINT);
    // Nothing but broken events came: nothing recorded, nothing saved.
    ASSERT_EQ(umockdev.waitFor(std::chrono::seconds(20)), 1) << readFile(sway.folder() / "recorder.err");
    const std::string told = readFile(sway.folder() / "recorder.err");
    const std::string named = "reading /dev/input/event6 failed";
    EXPECT_NE(told.find(named), std::string::npos) << told;
    EXPECT_EQ(told.find(named), told.rfind(named)) << told;
}

// A user's session on sway end to end: the mouse moves, sway accelerates it
// (here: puts its pointer elsewhere than the deltas say), the user clicks,
// right-clicks and drags; the recording holds every click where sway had the
// pointer, and replaying it into a window clicks there again.
TEST_F(EvdevCaptureTest, ClicksAreRecordedWhereTheCompositorHadThePointerAndReplayThere) {
    constexpr std::uint64_t lead = 1000 * kMs;
    const Point first{300, 200}, second{900, 150}, dragEnd{1000, 200};
    base = MonotonicClock::now() + lead + 3000 * kMs;
    writeDevice("keyboard", lead, "");
    const auto button = [&](std::uint64_t ms, int code, int value) { return report(ms, EV_KEY, code, value); };
    writeDevice("mouse", lead,
                motion(0, 40, 30) + button(2000, BTN_LEFT, 1) + button(2050, BTN_LEFT, 0) + motion(3000, 120, -25) +
                    button(5000, BTN_RIGHT, 1) + button(5050, BTN_RIGHT, 0) + button(6000, BTN_LEFT, 1) +
                    motion(6100, 100, 50) + button(8000, BTN_LEFT, 0));
    movePointer({100, 100});
    const auto folder = sway.folder();
    ChildProcess umockdev(withDevices(BREVANOR_CLI_PROGRAM, "record --countdown 0"), options());
    // umockdev plays the files from when the recorder opens the devices, a
    // moment before it says it records (the events keep their written times);
    // sway's pointer moves a second after each emulated motion and a second
    // before the next press or release, wide enough for a slow (sanitized) build.
    ASSERT_TRUE(waitUntil([&] { return readFile(folder / "recorder.err").find("Recording.") != std::string::npos; }))
        << readFile(folder / "recorder.err");
    const std::uint64_t opened = MonotonicClock::now();
    for (const auto& [ms, place] : {std::pair{1000, first}, std::pair{4000, second}, std::pair{7000, dragEnd}}) {
        waitForTheEvents(opened + lead + ms * kMs);
        movePointer(place);
    }
    // Stopped once the events' written times have passed, so none counts as after the end.
    waitForTheEvents(base + 8300 * kMs);
    signalRecorder(SIGINT);
    ASSERT_EQ(umockdev.waitFor(std::chrono::seconds(20)), 0) << readFile(folder / "recorder.err");
    if (anEmulatedDeviceBroke()) GTEST_SKIP() << readFile(folder / "recorder.err");

    const auto document = recordedDocument();
    const Recording recording = Recording::makeJSONDecoder().decode(readFile(document));
    EXPECT_FALSE(recording.environment.relativePositions);
    std::vector<std::tuple<Kind, MouseButton, Point>> clicks;
    for (const RecordingEvent& event : recording.events) {
        if (event.kind() == Kind::mouseDown || event.kind() == Kind::mouseUp) {
            const auto& press = event.mouseButton();
            clicks.emplace_back(event.kind(), press.button, Point{press.x, press.y});
        }
    }
    const std::vector<std::tuple<Kind, MouseButton, Point>> expected{
        {Kind::mouseDown, MouseButton::left, first},   {Kind::mouseUp, MouseButton::left, first},
        {Kind::mouseDown, MouseButton::right, second}, {Kind::mouseUp, MouseButton::right, second},
        {Kind::mouseDown, MouseButton::left, second},  {Kind::mouseUp, MouseButton::left, dragEnd}};
    EXPECT_EQ(clicks, expected) << readFile(document);

    const auto client = sway.startLoggingClient(BREVANOR_WAYLAND_LOGGING_CLIENT);
    ASSERT_TRUE(client) << sway.clientLog();
    ChildProcess player({BREVANOR_CLI_PROGRAM, "play", document.string(), "--yes"}, options());
    ASSERT_EQ(player.waitFor(std::chrono::seconds(20)), 0) << readFile(folder / "recorder.err");
    EXPECT_EQ(sway.clientLog({"button"}),
              "button 272 1 300.00 200.00\nbutton 272 0 300.00 200.00\nbutton 273 1 900.00 150.00\n"
              "button 273 0 900.00 150.00\nbutton 272 1 900.00 150.00\nbutton 272 0 1000.00 200.00\n");
}

// The application's windows need an X server (XWayland) or Qt's offscreen
// platform; neither XWayland nor a Wayland platform of Qt is tested here, so
// the windows go offscreen, while the backend, the listener and the hand-over
// of actions are the ones a user runs.
TEST_F(EvdevCaptureTest, TheApplicationRecordsAndPlaysWhenActionsAreHandedToIt) {
    if (std::string(BREVANOR_APP_PROGRAM).empty()) GTEST_SKIP() << "the application is not built";
    // Time for the application to start and be told to record before the events come.
    writeEvents(6000 * kMs);
    movePointer({1279, 0});
    // A home of its own: the sway's runtime folder belongs to its user, which Qt refuses for its socket.
    const auto home = sway.folder() / "app";
    makeBrevanorFolders(home, "hasLaunchedBefore=true\ncountdownSeconds=0\n");
    auto environment = sway.clientEnvironment();
    for (const auto& variable : brevanorEnvironment(home, "")) environment.push_back(variable);
    environment.insert(environment.end(), {{"QT_QPA_PLATFORM", "offscreen"}, {"WAYLAND_DISPLAY", sway.socket()}});
    const ChildProcess::Options inHome = options(environment);
    ChildProcess umockdev(withDevices(BREVANOR_APP_PROGRAM, "--backend wayland"), inHome);
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(home / "runtime" / "com.brevanor.Brevanor.socket"); },
                          std::chrono::seconds(20)))
        << readFile(sway.folder() / "recorder.err");
    ChildProcess::Options quiet = inHome;  // the application's own output stays in its files
    quiet.standardOutput.clear();
    quiet.standardError.clear();
    const auto handOver = [&](const char* action) {
        EXPECT_EQ(ChildProcess({BREVANOR_APP_PROGRAM, action}, quiet).waitFor(std::chrono::seconds(10)), 0) << action;
    };
    handOver("--record");
    waitForTheEvents(base + 900 * kMs);
    handOver("--stop");

    const auto library = home / "data" / "Brevanor" / "Recordings";
    std::filesystem::path document;
    ASSERT_TRUE(waitUntil([&] {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(library, error)) {
            if (entry.path().extension() == ".json") document = entry.path();
        }
        return !document.empty();
    })) << readFile(sway.folder() / "recorder.err");
    if (anEmulatedDeviceBroke()) GTEST_SKIP() << readFile(sway.folder() / "recorder.err");
    // The application reads the keyboards twice, for the recording and for the
    // shortcuts. The kernel hands every reader every event; umockdev hands each
    // event to one of them, so the recording holds only some of the keys.
    expectTheEmulatedEvents(document, {1279, 0}, true);

    // And it plays the recording by the same hand-over, into a window, where sway had the pointer.
    const auto client = sway.startLoggingClient(BREVANOR_WAYLAND_LOGGING_CLIENT);
    ASSERT_TRUE(client) << sway.clientLog();
    handOver("--play-last");
    EXPECT_TRUE(waitUntil([&] { return sway.clientLog().find("button 273 0 1279.00 0.00") != std::string::npos; }))
        << sway.clientLog() << readFile(sway.folder() / "recorder.err");
    signalRecorder(SIGTERM);
    EXPECT_EQ(umockdev.waitFor(std::chrono::seconds(20)), 0) << readFile(sway.folder() / "recorder.err");
}

}  // namespace
}  // namespace brevanor::testing
