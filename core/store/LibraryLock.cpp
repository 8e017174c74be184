#include "core/store/LibraryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "core/store/DamagedLockFile.h"
#include "core/store/FileError.h"

namespace brevanor {

namespace {

bool isRegularFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

LibraryLock::LibraryLock(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / fileName;
    for (int attempt = 1;; ++attempt) {
        // flock needs no write access to the file. Non-blocking, so that a FIFO
        // in the lock's place cannot keep the open waiting for a writer.
        fd_ = FileDescriptor(::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
        if (fd_.isOpen() && isRegularFile(fd_.get())) break;
        // A link (ELOOP) or folder (EISDIR) in its place is damage to mend like a FIFO or a device.
        if (!fd_.isOpen() && errno != ELOOP && errno != EISDIR) throw FileError("lock", path, errno);
        const int error = fd_.isOpen() ? EINVAL : errno;
        fd_.reset();
        // Something that keeps coming back is not ours to fight.
        if (attempt == 8) throw FileError("lock", path, error, "something that is no lock file keeps taking its place");
        removeDamagedLockFile(path);
    }
    while (::flock(fd_.get(), LOCK_EX) != 0) {
        if (errno != EINTR) throw FileError("lock", path, errno);
    }
}

}  // namespace brevanor
