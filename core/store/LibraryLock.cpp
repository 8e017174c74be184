#include "core/store/LibraryLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "core/store/FileError.h"

namespace brevanor {

LibraryLock::LibraryLock(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / fileName;
    // flock needs no write access to the file.
    fd_ = FileDescriptor(::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd_.isOpen()) throw FileError("lock", path, errno);
    while (::flock(fd_.get(), LOCK_EX) != 0) {
        if (errno != EINTR) throw FileError("lock", path, errno);
    }
}

}  // namespace brevanor
