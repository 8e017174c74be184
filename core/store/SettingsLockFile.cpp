#include "core/store/SettingsLockFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <string>
#include <thread>

#include "core/store/FileError.h"

namespace brevanor {

namespace {

// QLockFile tells a lock whose process id was reused by another program by the
// program's name: the name of the running executable.
std::string programName() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("brevanor-cli") : self.filename().string();
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return gethostname(name, sizeof name) == 0 ? std::string(name) : std::string();
}

}  // namespace

SettingsLockFile::SettingsLockFile(const std::filesystem::path& settingsFile, std::chrono::milliseconds patience)
    : path_(settingsFile.string() + ".lock") {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!tryLock()) {
        if (removeIfStale()) continue;
        if (std::chrono::steady_clock::now() >= deadline) throw FileError("lock", path_, EWOULDBLOCK);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

SettingsLockFile::~SettingsLockFile() {
    ::unlink(path_.c_str());
    ::close(fd_);
}

bool SettingsLockFile::tryLock() {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        if (errno == EEXIST) return false;
        throw FileError("create", path_, errno);
    }
    // The flock tells others the lock is alive, whatever its age.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    const std::string contents = std::to_string(::getpid()) + "\n" + programName() + "\n" + hostName() + "\n";
    if (::write(fd_, contents.data(), contents.size()) != static_cast<ssize_t>(contents.size())) {
        const int error = errno;
        ::unlink(path_.c_str());
        ::close(fd_);
        throw FileError("write", path_, error);
    }
    return true;
}

bool SettingsLockFile::removeIfStale() {
    std::ifstream in(path_);
    std::string pidLine, program, host;
    std::getline(in, pidLine);
    std::getline(in, program);
    std::getline(in, host);
    in.close();

    bool stale = false;
    char* end = nullptr;
    const long pid = std::strtol(pidLine.c_str(), &end, 10);
    if (pid > 0 && *end == '\0' && host == hostName()) {
        std::error_code error;
        const auto running =
            std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).filename().string();
        stale = (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) ||
                (!error && !program.empty() && running != program);
    }
    struct stat status {};
    if (!stale && ::stat(path_.c_str(), &status) == 0) {
        stale = std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(status.st_mtime) > kStaleAge;
    }
    if (!stale) return false;
    // Removed only when nobody holds its flock, as QLockFile removes a stale lock.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    const bool removed = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path_.c_str()) == 0;
    ::close(fd);
    return removed;
}

}  // namespace brevanor
