#include "platform/x11/GuardianProcess.h"

#include <dlfcn.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace brevanor {

namespace {

std::filesystem::path directoryOfThisLibrary() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&GuardianProcess::programPath), &info) == 0 || !info.dli_fname) return {};
    std::error_code error;
    return std::filesystem::canonical(info.dli_fname, error).parent_path();
}

}  // namespace

std::string GuardianProcess::programPath(const char* programName) {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path programDirectory = error ? std::filesystem::path() : program.parent_path();
    // Installed, the helper programs have a folder of their own; in the build tree the
    // guardians sit beside the core library.
    for (const std::filesystem::path& directory :
         {programDirectory.empty() ? programDirectory : programDirectory / BREVANOR_HELPERS_FROM_BINDIR,
          programDirectory, directoryOfThisLibrary()}) {
        if (directory.empty()) continue;
        const std::filesystem::path candidate = directory / programName;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.lexically_normal().string();
    }
    return {};
}

std::unique_ptr<GuardianProcess> GuardianProcess::launch(const char* programName, const std::string& displayName) {
    const std::string program = programPath(programName);
    if (program.empty()) return nullptr;
    int ends[2];
    // Close-on-exec, so no other child of ours keeps the socket open after we die.
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
    FileDescriptor ours(ends[0]);
    const FileDescriptor theirs(ends[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A process group of its own: Ctrl+C in a terminal ends Brevanor, not its guardian.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::string programArg = program;
    std::string displayArg = displayName;
    std::vector<char*> argv{programArg.data(), displayArg.data(), nullptr};
    pid_t pid = -1;
    const int status = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (status != 0) return nullptr;
    return std::unique_ptr<GuardianProcess>(new GuardianProcess(pid, std::move(ours)));
}

void GuardianProcess::send(std::string_view message) {
    [[maybe_unused]] const auto sent = ::send(socket_.get(), message.data(), message.size(), MSG_NOSIGNAL);
}

GuardianProcess::~GuardianProcess() {
    send(std::string_view(&kQuietExit, 1));
    socket_.reset();
    // It leaves at once; one that hangs (a stuck display server) is not waited for longer than a second.
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) != 0) return;
        usleep(10'000);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

}  // namespace brevanor
