#include "core/store/SettingsLockFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <sstream>
#include <string>
#include <thread>

#include "core/store/DamagedLockFile.h"
#include "core/store/FileDescriptor.h"
#include "core/store/FileError.h"
#include "core/store/FileIdentity.h"

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
        // A stale lock is taken over at once; a live one is waited for, and so is one that keeps coming back.
        if (removeIfStale() && std::chrono::steady_clock::now() < deadline) continue;
        if (std::chrono::steady_clock::now() >= deadline) throw FileError("lock", path_, EWOULDBLOCK);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

SettingsLockFile::~SettingsLockFile() { ::unlink(path_.c_str()); }

bool SettingsLockFile::tryLock() {
    fd_ = FileDescriptor(::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!fd_.isOpen()) {
        if (errno == EEXIST) return false;
        throw FileError("create", path_, errno);
    }
    // The flock tells others the lock is alive, whatever its age. Another
    // process that judged the file stale in the moment between its creation
    // and this flock holds the flock and removes the file, or has removed it
    // already: then the lock is not ours, and it is tried again. (A file
    // system without flocks has the lock without them.)
    const bool flockTaken = ::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
    if (!flockTaken || !namesOpenFile(path_, fd_.get())) {
        fd_.reset();
        return false;
    }
    const std::string contents = std::to_string(::getpid()) + "\n" + programName() + "\n" + hostName() + "\n";
    if (::write(fd_.get(), contents.data(), contents.size()) != static_cast<ssize_t>(contents.size())) {
        const int error = errno;
        ::unlink(path_.c_str());
        fd_.reset();
        throw FileError("write", path_, error);
    }
    return true;
}

bool SettingsLockFile::removeIfStale() {
    // Non-blocking and never through a link: a FIFO would keep the open
    // waiting, a link to a device would feed it bytes without end.
    const FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen()) {
        if (errno == ENOENT) return true;
        if (errno == ELOOP || errno == EISDIR) return removeDamagedLockFile(path_);
        throw FileError("lock", path_, errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) throw FileError("lock", path_, errno);
    if (!S_ISREG(status.st_mode)) return removeDamagedLockFile(path_);

    // A lock holds three short lines; more is no lock of ours or QLockFile's.
    char text[512];
    ssize_t length;
    do {
        length = ::read(fd.get(), text, sizeof text);
    } while (length < 0 && errno == EINTR);
    std::istringstream lines(std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0));
    std::string pidLine, program, host;
    std::getline(lines, pidLine);
    std::getline(lines, program);
    std::getline(lines, host);

    // To the nanosecond: a lock made a moment ago late in a second is no second old.
    const auto age =
        std::chrono::system_clock::now() -
        std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::nanoseconds(fileIdentity(status).modifiedNanos)));
    bool stale = age > kStaleAge;
    char* end = nullptr;
    const long pid = std::strtol(pidLine.c_str(), &end, 10);
    if (pid > 0 && *end == '\0' && end != pidLine.c_str()) {
        if (host == hostName()) {
            std::error_code error;
            const auto running =
                std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).filename().string();
            stale = stale || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) ||
                    (!error && !program.empty() && running != program);
        }
    } else if (length != 0 || age > std::chrono::seconds(1)) {
        // No process id: no writer made it, or one died before writing it (every
        // writer writes its lines at once, right after creating the file). Its
        // flock, checked below, still tells a live one.
        stale = true;
    }
    if (!stale) return false;
    // Removed only when nobody holds its flock, as QLockFile removes a stale lock.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false;
    // Still the file that was judged: another process may have replaced it meanwhile.
    struct stat named {};
    if (::lstat(path_.c_str(), &named) != 0) return errno == ENOENT;
    return named.st_dev == status.st_dev && named.st_ino == status.st_ino && ::unlink(path_.c_str()) == 0;
}

}  // namespace brevanor
