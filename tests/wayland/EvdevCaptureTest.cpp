// brevanor-cli record on Wayland, from a keyboard and a mouse that umockdev
// emulates (this kernel has no /dev/input): the descriptions in devices/
// answer libevdev's questions, and evemu event files written here deliver
// events whose kernel time stamps the recording must keep exactly.
#include <gtest/gtest.h>
#include <linux/input.h>
#include <signal.h>
#include <time.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/ChildProcess.h"
#include "core/model/Recording.h"
#include "core/model/RecordingJSONDecoder.h"
#include "tests/support/WaitUntil.h"
#include "tests/wayland/HeadlessSway.h"

namespace brevanor::testing {
namespace {

using Kind = RecordingEvent::Kind;

std::uint64_t monotonicNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000ull + static_cast<std::uint64_t>(now.tv_nsec);
}

// One evemu line. umockdev reads the microseconds as a C integer, where a
// leading zero means octal, so they are written without padding.
std::string evemu(std::uint64_t nanos, int type, int code, int value) {
    std::ostringstream line;
    line << "E: " << nanos / 1'000'000'000 << "." << nanos % 1'000'000'000 / 1000 << " " << std::hex << std::uppercase
         << type << " " << code << " " << std::dec << value << "\n";
    return line.str();
}

TEST(EvdevCapture, RecordsEmulatedDevicesWithExactCodesAndKernelTimes) {
    if (!ChildProcess::isAvailable("umockdev-run"))
        GTEST_SKIP() << "umockdev is not installed (Debian package umockdev)";
    HeadlessSway sway;  // the compositor that accepts Brevanor's virtual devices, which recording asks for
    if (!sway.problem().empty()) GTEST_SKIP() << sway.problem();

    // Times on the clock of the recording, far enough ahead to fall after its
    // start. Each device first sends a report that records nothing, so that the
    // real events come a second after the device is opened, once the recorder runs.
    const std::uint64_t base = monotonicNanos() + 4'000'000'000ull;
    const std::uint64_t ms = 1'000'000;
    const auto folder = sway.folder();
    std::ofstream(folder / "keyboard.events")
        << "# EVEMU 1.2\n"
        << evemu(base - 1000 * ms, EV_MSC, MSC_SCAN, 1) << evemu(base, EV_KEY, KEY_A, 1) << evemu(base, EV_SYN, 0, 0)
        << evemu(base + 100 * ms, EV_KEY, KEY_A, 0) << evemu(base + 100 * ms, EV_SYN, 0, 0)
        << evemu(base + 250 * ms, EV_KEY, KEY_B, 1) << evemu(base + 250 * ms, EV_SYN, 0, 0)
        << evemu(base + 300 * ms, EV_KEY, KEY_B, 0) << evemu(base + 300 * ms, EV_SYN, 0, 0);
    std::ofstream(folder / "mouse.events")
        << "# EVEMU 1.2\n"
        << evemu(base - 1000 * ms, EV_MSC, MSC_SCAN, 1) << evemu(base + 500 * ms, EV_REL, REL_X, 5)
        << evemu(base + 500 * ms, EV_REL, REL_Y, -3) << evemu(base + 500 * ms, EV_SYN, 0, 0)
        << evemu(base + 550 * ms, EV_KEY, BTN_RIGHT, 1) << evemu(base + 550 * ms, EV_SYN, 0, 0)
        << evemu(base + 600 * ms, EV_KEY, BTN_RIGHT, 0) << evemu(base + 600 * ms, EV_SYN, 0, 0)
        << evemu(base + 650 * ms, EV_REL, REL_WHEEL, -2) << evemu(base + 650 * ms, EV_SYN, 0, 0);

    const std::string devices = BREVANOR_TEST_DEVICES;
    ChildProcess::Options options;
    options.environment = sway.clientEnvironment();
    options.environment.emplace_back("XDG_DATA_HOME", (folder / "data").string());
    options.environment.emplace_back("XDG_CONFIG_HOME", (folder / "config-home").string());
    // umockdev preloads its library ahead of everything, which AddressSanitizer's runtime would refuse.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    options.environment.emplace_back("ASAN_OPTIONS",
                                     std::string(sanitizer ? sanitizer : "") + ":verify_asan_link_order=0");
    options.standardOutput = folder / "record.out";
    options.standardError = folder / "record.err";
    const auto pidFile = folder / "recorder.pid";
    ChildProcess umockdev(
        {"umockdev-run", "-d", devices + "/keyboard.umockdev", "-d", devices + "/mouse.umockdev", "-i",
         "/dev/input/event5=" + devices + "/keyboard.ioctl", "-i", "/dev/input/event6=" + devices + "/mouse.ioctl",
         "-e", "/dev/input/event5=" + (folder / "keyboard.events").string(), "-e",
         "/dev/input/event6=" + (folder / "mouse.events").string(), "--", "sh", "-c",
         std::string("\"$0\" record --countdown 0 & echo $! > '") + pidFile.string() + "'; wait $!",
         BREVANOR_CLI_PROGRAM},
        options);
    const auto readText = [](const std::filesystem::path& file) {
        std::ifstream in(file);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    };
    // Ctrl+C ends the recording once every event's time has passed.
    ASSERT_TRUE(waitUntil([&] { return monotonicNanos() > base + 900 * ms; }, std::chrono::seconds(20)));
    ASSERT_TRUE(waitUntil([&] { return !readText(pidFile).empty(); })) << readText(folder / "record.err");
    kill(std::stoi(readText(pidFile)), SIGINT);
    ASSERT_EQ(umockdev.waitFor(std::chrono::seconds(20)), 0) << readText(folder / "record.err");

    std::string id = readText(folder / "record.out");
    while (!id.empty() && id.back() == '\n') id.pop_back();
    const Recording recording =
        Recording::makeJSONDecoder().decode(readText(folder / "data" / "Brevanor" / "Recordings" / (id + ".json")));
    std::vector<RecordingEvent> events;
    for (const RecordingEvent& event : recording.events) {
        if (!event.isIdleGap()) events.push_back(event);
    }
    ASSERT_EQ(events.size(), 8u) << readText(folder / "data" / "Brevanor" / "Recordings" / (id + ".json"));
    const std::uint64_t first = events[0].timestamp();
    const std::vector<std::pair<Kind, std::uint64_t>> expected{
        {Kind::keyDown, 0},          {Kind::keyUp, 100 * ms},     {Kind::keyDown, 250 * ms}, {Kind::keyUp, 300 * ms},
        {Kind::mousePath, 500 * ms}, {Kind::mouseDown, 550 * ms}, {Kind::mouseUp, 600 * ms}, {Kind::scroll, 650 * ms}};
    for (std::size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].kind(), expected[i].first);
        EXPECT_EQ(events[i].timestamp() - first, expected[i].second);  // the kernel's times, to the nanosecond
    }
    EXPECT_EQ(events[0].key().keyCode, 0);   // A
    EXPECT_EQ(events[2].key().keyCode, 11);  // B
    EXPECT_EQ(events[5].mouseButton().button, MouseButton::right);
    EXPECT_EQ(events[5].mouseButton().x, 5);  // the sum of the deltas: relative
    EXPECT_EQ(events[5].mouseButton().y, -3);
    EXPECT_EQ(events[7].scrollEvent().scroll.deltaY, -2);
    EXPECT_NE(readText(folder / "record.err").find("Positions: relative."), std::string::npos);
    EXPECT_TRUE(recording.environment.relativePositions);
    EXPECT_EQ(recording.settings.cursorMode, CursorMode::relativeToCursor);
}

}  // namespace
}  // namespace brevanor::testing
