#include "core/store/FileIdentity.h"

#include <sys/stat.h>

namespace brevanor {

bool namesOpenFile(const std::filesystem::path& path, int fd) {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || ::lstat(path.c_str(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace brevanor
