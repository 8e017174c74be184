#include "cli/AcceptanceSession.h"

#include <signal.h>

#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "base/values/ModifierKeys.h"
#include "cli/CliError.h"
#include "core/acceptance/AcceptanceComparator.h"

namespace brevanor {

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr milliseconds kStartTimeout = seconds(15);
constexpr milliseconds kRunTimeout = seconds(600);
// A log that has not grown for this long has seen every event already sent.
constexpr milliseconds kQuietPeriod{300};
constexpr std::uint16_t kCapsLockKeyCode = 57;  // its flag tells the lock, not the key

std::string lastLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    const auto newline = text.rfind('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}

// xdotool releases a modifier key twice (once for its modifier, once as the
// key itself) and the server passes the second release on, although the key is
// up already. No keyboard does that, and the recorder rightly keeps one
// release, so the reference leaves the repeat out.
std::vector<HarnessLogEntry> withoutRepeatedReleases(const std::vector<HarnessLogEntry>& entries) {
    std::vector<HarnessLogEntry> kept;
    std::set<std::uint16_t> down;
    for (const HarnessLogEntry& entry : entries) {
        const bool modifier = entry.type == "flagsChanged";
        if (!entry.keyCode || (!modifier && entry.type != "keyDown" && entry.type != "keyUp") ||
            *entry.keyCode == kCapsLockKeyCode) {
            kept.push_back(entry);
            continue;
        }
        const bool press = modifier ? ModifierKeys::isDown(*entry.keyCode, entry.mods) : entry.type == "keyDown";
        if (press) {
            down.insert(*entry.keyCode);
        } else if (down.erase(*entry.keyCode) == 0) {
            continue;
        }
        kept.push_back(entry);
    }
    return kept;
}

std::string trimmed(std::string text) {
    const auto first = text.find_first_not_of(" \n\t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \n\t\r") - first + 1);
}

}  // namespace

AcceptanceSession::AcceptanceSession(Programs programs, std::string displayName, std::filesystem::path folder,
                                     const std::atomic<bool>* interrupted)
    : programs_(std::move(programs)),
      displayName_(std::move(displayName)),
      folder_(std::move(folder)),
      interrupted_(interrupted) {
    std::filesystem::create_directories(folder_);
    // The session's programs share per-display files (Brevanor's synthetic-input journal) with each other only.
    std::filesystem::create_directory(folder_ / "runtime");
    std::filesystem::permissions(folder_ / "runtime", std::filesystem::perms::owner_all);
}

ChildProcess::Options AcceptanceSession::childOptions(const std::string& name) {
    ++runs_;
    ChildProcess::Options options;
    // The private X server, also when the demo runs in a Wayland session.
    options.environment = {{"DISPLAY", displayName_},
                           {"XDG_SESSION_TYPE", "x11"},
                           {"XDG_DATA_HOME", (folder_ / "data").string()},
                           {"XDG_CONFIG_HOME", (folder_ / "config").string()},
                           {"XDG_STATE_HOME", (folder_ / "state").string()},
                           {"XDG_RUNTIME_DIR", (folder_ / "runtime").string()}};
    const std::string stem = name + "-" + std::to_string(runs_);
    options.standardOutput = folder_ / (stem + ".out");
    options.standardError = folder_ / (stem + ".err");
    return options;
}

std::string AcceptanceSession::contents(const std::filesystem::path& file) const {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void AcceptanceSession::waitUntil(const std::function<bool()>& ready, milliseconds timeout, const std::string& what) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (interrupted_ && interrupted_->load()) throw CliError("Interrupted while " + what + ".");
        if (std::chrono::steady_clock::now() > deadline) throw CliError("Gave up " + what + ".");
        std::this_thread::sleep_for(milliseconds(10));
    }
}

int AcceptanceSession::waitForExit(ChildProcess& process, milliseconds timeout, const std::string& what) {
    waitUntil([&] { return process.exitStatus().has_value(); }, timeout, what);
    return *process.exitStatus();
}

std::unique_ptr<ChildProcess> AcceptanceSession::startLogger(const std::filesystem::path& log,
                                                             const std::string& synthetic) {
    std::filesystem::remove(log);
    const ChildProcess::Options options = childOptions("logger");
    auto logger =
        std::make_unique<ChildProcess>(std::vector<std::string>{programs_.logger, "--display", displayName_, "--output",
                                                                log.string(), "--synthetic", synthetic},
                                       options);
    // The logger creates its log once it listens.
    waitUntil([&] { return std::filesystem::exists(log) || logger->exitStatus().has_value(); }, kStartTimeout,
              "waiting for the harness logger to start");
    if (logger->exitStatus()) throw CliError("The harness logger could not start on display " + displayName_ + ".");
    return logger;
}

void AcceptanceSession::stopLogger(std::unique_ptr<ChildProcess>& logger, const std::filesystem::path& log) {
    // The logger ends at once on SIGTERM, so first let it write what the server still has for it.
    std::uintmax_t lastSize = 0;
    auto lastChange = std::chrono::steady_clock::now();
    waitUntil(
        [&] {
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(log, error);
            const auto now = std::chrono::steady_clock::now();
            if (!error && size != lastSize) {
                lastSize = size;
                lastChange = now;
            }
            return now - lastChange >= kQuietPeriod;
        },
        seconds(30), "waiting for the harness logger to catch up");
    logger->terminate();
    logger.reset();
}

std::string AcceptanceSession::record(const std::string& script, StopBy stop) {
    auto logger = startLogger(referenceLog(), "never");
    const ChildProcess::Options options = childOptions("record");
    ChildProcess recorder({programs_.cli, "record", "--countdown", "0"}, options);
    waitUntil(
        [&] {
            return contents(options.standardError).find("Recording.") != std::string::npos ||
                   recorder.exitStatus().has_value();
        },
        kStartTimeout, "waiting for brevanor-cli record to start");
    if (recorder.exitStatus()) {
        throw CliError("brevanor-cli record ended at once: " + lastLine(contents(options.standardError)));
    }
    drive(script);
    stopLogger(logger, referenceLog());
    if (stop == StopBy::escapeHold) {
        drive("keydown Escape\nsleep 1.3\nkeyup Escape\n");
    } else {
        recorder.sendSignal(SIGINT);
    }
    const int status = waitForExit(recorder, seconds(30), "waiting for brevanor-cli record to save");
    if (status != 0) throw CliError("brevanor-cli record failed: " + lastLine(contents(options.standardError)));
    return trimmed(contents(options.standardOutput));
}

AcceptanceSession::Result AcceptanceSession::play(const std::string& id, const std::vector<std::string>& options) {
    auto logger = startLogger(replayLog(), "always");
    std::vector<std::string> arguments{"play", id, "--yes"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    Result result = cli(arguments);
    stopLogger(logger, replayLog());
    return result;
}

AcceptanceSession::Result AcceptanceSession::replayWith(const std::vector<std::string>& command) {
    auto logger = startLogger(replayLog(), "always");
    Result result = run(command, "replay", "waiting for " + command.front());
    stopLogger(logger, replayLog());
    return result;
}

AcceptanceSession::Result AcceptanceSession::cli(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{programs_.cli};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command, "cli", "waiting for brevanor-cli " + arguments.front());
}

AcceptanceSession::Result AcceptanceSession::run(const std::vector<std::string>& command, const std::string& name,
                                                 const std::string& what) {
    const ChildProcess::Options options = childOptions(name);
    ChildProcess process(command, options);
    const int status = waitForExit(process, kRunTimeout, what);
    return {status, contents(options.standardOutput), contents(options.standardError)};
}

void AcceptanceSession::drive(const std::string& script) {
    const ChildProcess::Options options = childOptions("driver");
    const std::filesystem::path file = folder_ / ("driver-" + std::to_string(runs_) + ".xdo");
    std::ofstream(file) << script;
    ChildProcess driver({programs_.driver, file.string()}, options);
    if (waitForExit(driver, kRunTimeout, "waiting for the input script") != 0) {
        throw CliError("The input script failed: " + lastLine(contents(options.standardError)));
    }
}

std::vector<HarnessLogEntry> AcceptanceSession::referenceEntries() const {
    return withoutRepeatedReleases(AcceptanceComparator::parse(contents(referenceLog())));
}

std::vector<HarnessLogEntry> AcceptanceSession::replayEntries() const {
    return AcceptanceComparator::parse(contents(replayLog()));
}

AcceptanceReport AcceptanceSession::report(std::optional<std::int64_t> expectedCount) const {
    return AcceptanceComparator::compareLogs(referenceEntries(), replayEntries(), expectedCount);
}

}  // namespace brevanor
