#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/ChildProcess.h"
#include "core/acceptance/AcceptanceReport.h"
#include "core/acceptance/HarnessLogEntry.h"

namespace brevanor {

// The chain that shows a replay to be faithful, run in an X server of its
// own: an outside driver (xdotool) performs a script of real input while the
// outside harness logger writes the reference log and brevanor-cli records it
// into a library of the session's own; brevanor-cli then replays the recording
// while the logger writes the replay log, and the comparator judges the runs.
// Brevanor takes part only as the brevanor-cli program, exactly as a user
// runs it; like every program of the chain it runs where the system puts it,
// with the priority it takes itself. Every step waits with a deadline and
// throws CliError when one passes or a program fails; `interrupted` (set from
// a signal) ends a wait early.
class AcceptanceSession {
public:
    struct Programs {
        std::string cli;     // brevanor-cli
        std::string logger;  // brevanor-harness-logger
        std::string driver = "xdotool";
    };
    // How a recording ends: brevanor-cli gets SIGINT, or the driver holds Esc for a second and more.
    enum class StopBy { signal, escapeHold };
    struct Result {
        int exitStatus = 0;
        std::string output;  // standard output
        std::string errors;  // standard error
    };

    // `folder` holds the logs, the library (XDG_DATA_HOME), the preferences (XDG_CONFIG_HOME) and the runtime
    // folder (XDG_RUNTIME_DIR).
    AcceptanceSession(Programs programs, std::string displayName, std::filesystem::path folder,
                      const std::atomic<bool>* interrupted = nullptr);

    // Records what the driver's `script` (xdotool commands, one per line) performs; answers the recording's id.
    std::string record(const std::string& script, StopBy stop = StopBy::signal);
    // Replays `id` with brevanor-cli play and the given options while the logger writes the replay log.
    Result play(const std::string& id, const std::vector<std::string>& options);
    // Runs another replaying program (a baseline to compare with) while the logger writes the replay log.
    Result replayWith(const std::vector<std::string>& command);
    // Runs the driver's script without recording or logging (to place the cursor, say).
    void drive(const std::string& script);
    // Runs brevanor-cli with the session's display, library and preferences.
    Result cli(const std::vector<std::string>& arguments);

    // How a program of the session is started: its display, library and preferences, and files for its output.
    ChildProcess::Options childOptions(const std::string& name);

    // The reference log, without the driver's repeated releases of keys that are already up.
    std::vector<HarnessLogEntry> referenceEntries() const;
    std::vector<HarnessLogEntry> replayEntries() const;
    // The replay runs against the reference, cut into runs of the reference's length unless `expectedCount` is given.
    AcceptanceReport report(std::optional<std::int64_t> expectedCount = std::nullopt) const;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path referenceLog() const { return folder_ / "reference.jsonl"; }
    std::filesystem::path replayLog() const { return folder_ / "replay.jsonl"; }

private:
    std::unique_ptr<ChildProcess> startLogger(const std::filesystem::path& log, const std::string& synthetic);
    void stopLogger(std::unique_ptr<ChildProcess>& logger, const std::filesystem::path& log);
    void waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout, const std::string& what);
    Result run(const std::vector<std::string>& command, const std::string& name, const std::string& what);
    int waitForExit(ChildProcess& process, std::chrono::milliseconds timeout, const std::string& what);
    std::string contents(const std::filesystem::path& file) const;

    Programs programs_;
    std::string displayName_;
    std::filesystem::path folder_;
    const std::atomic<bool>* interrupted_;
    int runs_ = 0;  // numbers the output files of each program run
};

}  // namespace brevanor
