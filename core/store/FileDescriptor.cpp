#include "core/store/FileDescriptor.h"

#include <unistd.h>

#include <utility>

namespace brevanor {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.release();
    }
    return *this;
}

void FileDescriptor::reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int FileDescriptor::release() { return std::exchange(fd_, -1); }

}  // namespace brevanor
