#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brevanor {

// A program started beside brevanor-cli (Xvfb, xdotool, the harness logger,
// brevanor-cli itself), in a process group of its own so that Ctrl+C in the
// terminal reaches only brevanor-cli, which then ends it in order. A child
// still running when this object goes away is ended by its process id.
class ChildProcess {
public:
    struct Options {
        std::vector<std::pair<std::string, std::string>> environment;  // set or replaced in the child
        std::filesystem::path standardOutput;                          // empty: /dev/null
        std::filesystem::path standardError;                           // empty: /dev/null
        std::optional<int> inheritedFd;                                // passed on as descriptor 3 (Xvfb's -displayfd)
        bool realtime = false;  // scheduled ahead of ordinary programs, where the system allows it
    };

    // Throws CliError when the program cannot be started.
    ChildProcess(const std::vector<std::string>& arguments, const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t processId() const { return pid_; }
    // The exit status (128 + the signal for a child ended by one) once it has ended; nothing while it runs.
    std::optional<int> exitStatus();
    // Waits up to `timeout`; nothing when it still runs then.
    std::optional<int> waitFor(std::chrono::milliseconds timeout);
    void sendSignal(int signalNumber);
    // SIGTERM, then SIGKILL when it has not ended within `grace`; answers its exit status.
    int terminate(std::chrono::milliseconds grace = std::chrono::seconds(2));

    // Whether `program` can be run: a path to an executable, or a name found on PATH.
    static bool isAvailable(const std::string& program);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

}  // namespace brevanor
