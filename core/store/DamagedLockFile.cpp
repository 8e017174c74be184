#include "core/store/DamagedLockFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "core/store/FileDescriptor.h"
#include "core/store/FileError.h"

namespace brevanor {

bool removeDamagedLockFile(const std::filesystem::path& lockFile) {
    const std::filesystem::path folder = lockFile.has_parent_path() ? lockFile.parent_path() : ".";
    const FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.isOpen()) throw FileError("lock", lockFile, errno);
    while (::flock(folderFd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) throw FileError("lock", lockFile, errno);
    }
    struct stat info {};
    if (::lstat(lockFile.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return false;
    const int removed = S_ISDIR(info.st_mode) ? ::rmdir(lockFile.c_str()) : ::unlink(lockFile.c_str());
    if (removed != 0 && errno != ENOENT) {
        const int error = errno;
        throw FileError("lock", lockFile, error,
                        error == ENOTEMPTY || error == EEXIST
                            ? "a folder with files in it is in the lock file's place"
                            : "something that is no lock file is in its place and cannot be removed (" +
                                  std::system_category().message(error) + ")");
    }
    return true;
}

}  // namespace brevanor
