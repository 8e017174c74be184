#include "cli/ChildProcess.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "cli/CliError.h"
#include "core/dispatch/ThreadPriority.h"

extern char** environ;

namespace brevanor {

namespace {

std::vector<std::string> childEnvironment(const std::vector<std::pair<std::string, std::string>>& changes) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : changes) variables[name] = value;
    std::vector<std::string> result;
    for (const auto& [name, value] : variables) result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

int statusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return 255;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const Options& options) {
    std::vector<std::string> argv = arguments;
    std::vector<std::string> environment = childEnvironment(options.environment);
    auto argvPointers = pointers(argv);
    auto environmentPointers = pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string output = options.standardOutput.empty() ? "/dev/null" : options.standardOutput.string();
    const std::string errors = options.standardError.empty() ? "/dev/null" : options.standardError.string();
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (options.inheritedFd) posix_spawn_file_actions_adddup2(&actions, *options.inheritedFd, 3);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    const short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP;
    const auto spawn = [&](short withFlags) {
        posix_spawnattr_setflags(&attributes, withFlags);
        return posix_spawnp(&pid_, argv[0].c_str(), &actions, &attributes, argvPointers.data(),
                            environmentPointers.data());
    };
    int error = 0;
    if (options.realtime) {
        sched_param param{};
        param.sched_priority = ThreadPriority::realtimePriority;
        posix_spawnattr_setschedpolicy(&attributes, SCHED_FIFO);
        posix_spawnattr_setschedparam(&attributes, &param);
        error = spawn(flags | POSIX_SPAWN_SETSCHEDULER);
    }
    // Without the privilege the child runs as any program does.
    if (!options.realtime || error == EPERM) error = spawn(flags);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        pid_ = -1;
        throw CliError("Cannot start " + argv[0] + ": " + std::strerror(error) + ".");
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !exitStatus()) terminate();
}

std::optional<int> ChildProcess::exitStatus() {
    if (status_ || pid_ <= 0) return status_;
    int waitStatus = 0;
    const pid_t result = waitpid(pid_, &waitStatus, WNOHANG);
    if (result == pid_) status_ = statusOf(waitStatus);
    return status_;
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!exitStatus()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

void ChildProcess::sendSignal(int signalNumber) {
    if (pid_ > 0 && !exitStatus()) kill(pid_, signalNumber);
}

int ChildProcess::terminate(std::chrono::milliseconds grace) {
    sendSignal(SIGTERM);
    if (const auto status = waitFor(grace)) return *status;
    sendSignal(SIGKILL);
    int waitStatus = 0;
    if (waitpid(pid_, &waitStatus, 0) == pid_) status_ = statusOf(waitStatus);
    return status_.value_or(255);
}

bool ChildProcess::isAvailable(const std::string& program) {
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (end > start && access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace brevanor
