#include "platform/x11/DetachedProcess.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "core/store/FileDescriptor.h"

namespace brevanor::DetachedProcess {

namespace {

std::optional<std::string> resolve(const std::string& program) {
    if (program.empty()) return std::nullopt;
    if (program.find('/') != std::string::npos) {
        return ::access(program.c_str(), X_OK) == 0 ? std::optional(program) : std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path && path[0] ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        const auto colon = folders.find(':');
        const std::string candidate = (std::filesystem::path(folders.substr(0, colon)) / program).string();
        if (::access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate)) return candidate;
        folders = colon == std::string_view::npos ? std::string_view{} : folders.substr(colon + 1);
    }
    return std::nullopt;
}

bool readAll(int fd, void* buffer, std::size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, bytes + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// Between fork and exec only async-signal-safe calls: everything is prepared before.
[[noreturn]] void runGrandchild(const char* program, char* const* argv, int report) {
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &standard, nullptr);
    // Our descriptors (the X connection above all) must not live on in the program.
    syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);
    execv(program, argv);
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
    _exit(127);
}

}  // namespace

std::optional<std::int32_t> start(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return std::nullopt;
    const auto program = resolve(arguments.front());
    if (!program) return std::nullopt;
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) return std::nullopt;
    FileDescriptor readEnd(channel[0]);
    FileDescriptor writeEnd(channel[1]);
    const pid_t child = ::fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        // The middle process: starts the program in a new session and leaves at
        // once, so the program is handed to init and never becomes our zombie.
        readEnd.reset();
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) runGrandchild(program->c_str(), argv.data(), writeEnd.get());
        [[maybe_unused]] const ssize_t written = ::write(writeEnd.get(), &grandchild, sizeof grandchild);
        _exit(grandchild < 0 ? 1 : 0);
    }
    writeEnd.reset();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    pid_t grandchild = -1;
    int execError = 0;
    // The pipe closes without more data when exec succeeded; a failed exec writes its errno first.
    const bool started = readAll(readEnd.get(), &grandchild, sizeof grandchild) && grandchild > 0 &&
                         !readAll(readEnd.get(), &execError, sizeof execError);
    if (!started) return std::nullopt;
    return static_cast<std::int32_t>(grandchild);
}

}  // namespace brevanor::DetachedProcess
