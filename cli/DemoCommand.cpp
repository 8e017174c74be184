#include "cli/DemoCommand.h"

#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/AcceptanceSession.h"
#include "cli/ChildProcess.h"
#include "cli/CliError.h"
#include "cli/InterruptSignals.h"
#include "cli/PrivateXServer.h"
#include "cli/WitnessedReplay.h"
#include "core/acceptance/AcceptanceComparator.h"

namespace brevanor {

namespace {

constexpr int kReplays = 3;
constexpr std::string_view kLoggerName = "brevanor-harness-logger";

// A temporary folder, removed with everything in it when the demo ends.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-demo-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw CliError("Cannot make a temporary folder for the demo.");
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

std::string DemoCommand::script() {
    // Presses are held for a while, as fingers do; 50 ms pauses keep key events apart.
    return "mousemove 150 130\n"
           "sleep 0.3\n"
           // Glide to a field, click into it and type a word.
           "mousemove_relative 10 6\nsleep 0.02\nmousemove_relative 10 6\nsleep 0.02\n"
           "mousemove_relative 10 6\nsleep 0.02\nmousemove_relative 10 6\nsleep 0.02\n"
           "mousemove_relative 10 6\nsleep 0.2\n"
           "mousedown 1\nsleep 0.06\nmouseup 1\n"
           "sleep 0.3\n"
           "type --delay 90 brevanor\n"
           "sleep 0.3\n"
           // Shift+Tab to the previous field, then Ctrl+A.
           "keydown shift\nsleep 0.05\nkey --delay 40 Tab\nsleep 0.05\nkeyup shift\n"
           "sleep 0.2\n"
           "keydown ctrl\nsleep 0.05\nkey --delay 40 a\nsleep 0.05\nkeyup ctrl\n"
           "sleep 0.4\n"
           // Drag a stroke across the canvas. Absolute moves warp the pointer, which no
           // device reports; relative ones move it as a mouse does.
           "mousemove 300 300\nsleep 0.1\n"
           "mousedown 1\nsleep 0.05\n"
           "mousemove_relative 20 10\nsleep 0.02\nmousemove_relative 30 15\nsleep 0.02\n"
           "mousemove_relative 40 20\nsleep 0.02\nmousemove_relative 50 15\nsleep 0.02\n"
           "mousemove_relative 60 5\nsleep 0.02\nmousemove_relative 60 -5\nsleep 0.02\n"
           "mousemove_relative 50 -20\nsleep 0.05\n"
           "mouseup 1\n"
           "sleep 0.4\n"
           // Scroll down three notches and up one.
           "click 5\nsleep 0.12\nclick 5\nsleep 0.12\nclick 5\nsleep 0.25\nclick 4\n"
           "sleep 0.8\n"
           // A right click, then a double click.
           "mousemove 700 500\nsleep 0.1\n"
           "mousedown 3\nsleep 0.07\nmouseup 3\n"
           "sleep 0.4\n"
           "mousedown 1\nsleep 0.04\nmouseup 1\nsleep 0.08\nmousedown 1\nsleep 0.04\nmouseup 1\n"
           "sleep 0.3\n"
           "key --delay 40 Return\n";
}

std::string DemoCommand::loggerProgram() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const auto installed = (self.parent_path() / BREVANOR_HELPERS_FROM_BINDIR / kLoggerName).lexically_normal();
        if (ChildProcess::isAvailable(installed.string())) return installed.string();
    }
#ifdef BREVANOR_HARNESS_LOGGER
    if (ChildProcess::isAvailable(BREVANOR_HARNESS_LOGGER)) return BREVANOR_HARNESS_LOGGER;
#endif
    return std::string(kLoggerName);
}

std::string DemoCommand::cliProgram(const std::string& startedAs) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? startedAs : self.string();
}

std::string DemoCommand::blame(const std::string& ownReport, bool undecided) {
    if (undecided) {
        return "No verdict on Brevanor: every replay met the machine standing still. Run the demo again when the "
               "machine is quieter.";
    }
    double p95 = 0, max = 0;
    const bool read =
        std::sscanf(ownReport.c_str(), "Fidelity: %*d/%*d events, timing p95 %lf ms, max %lf ms", &p95, &max) == 2;
    if (read && p95 <= AcceptanceComparator::p95ToleranceMs && max <= AcceptanceComparator::maxToleranceMs) {
        return "By Brevanor's own measure the replay kept to its schedule: the time stamps of the observer or of "
               "the recording were off, not the replay.";
    }
    return "Brevanor's own measure agrees: the replay itself was off.";
}

int DemoCommand::run(const CommandLine& line) {
    line.expectPositionals(0, 0, "nothing");
    const std::string logger = loggerProgram();
    if (!ChildProcess::isAvailable("xdotool")) {
        throw CliError("The demo needs xdotool to perform its input (Debian package xdotool).");
    }
    if (!ChildProcess::isAvailable(logger)) {
        throw CliError("The demo needs brevanor-harness-logger, which was not found among Brevanor's helper programs.");
    }
    std::atomic<bool> interrupted{false};
    const InterruptSignals signals([&](int) { interrupted = true; });
    std::ostream& out = context_.out();

    out << "Starting a private X server... " << std::flush;
    const PrivateXServer server(1280, 800);
    out << server.displayName() << "\n";
    const TemporaryFolder folder;
    AcceptanceSession session({cliProgram(program_), logger}, server.displayName(), folder.path(), &interrupted);

    out << "Recording clicks, a drag, typing, scrolls and pauses performed by xdotool... " << std::flush;
    const std::string id = session.record(script());
    session.cli({"rename", id, "Demo"});
    const auto shown = session.cli({"list"});
    out << "saved:\n  " << shown.output;

    out << "Replaying it " << kReplays << " times while an outside logger watches... " << std::flush;
    const WitnessedReplay replay =
        WitnessedReplay::play(session, id, {"--repeat", std::to_string(kReplays), "--delay", "0.5", "--report"});
    const auto& played = replay.played;
    if (played.exitStatus != 0) throw CliError("The replay failed: " + played.errors);
    out << "done.\n\n";
    for (const std::string& line : replay.setAside) out << line << "\n";
    if (!replay.setAside.empty()) out << "\n";

    const AcceptanceReport& report = replay.report;
    // Brevanor's own view, from its events as the server handed them back, tells a late replay
    // from an observer (or a recording) whose time stamps were off.
    const std::string own = played.output.substr(0, played.output.find('\n'));
    out << report.summary() << "\nBrevanor's own view of the replay: " << own << "\n";
    if (!report.passed()) {
        out << blame(own, replay.undecided) << (replay.stalls.empty() ? "" : " ") << replay.stalls << "\n";
    }
    return report.passed() ? 0 : 1;
}

}  // namespace brevanor
