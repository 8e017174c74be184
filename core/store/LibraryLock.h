#pragma once

#include <filesystem>
#include <string_view>

#include "core/store/FileDescriptor.h"

namespace brevanor {

// Serialises the read-check-write of library documents between every process
// and thread that uses the library: an exclusive lock on a hidden file in the
// library folder, held as long as the object lives. Hold it only around file
// work, never while waiting for anything else.
class LibraryLock {
public:
    static constexpr std::string_view fileName = ".brevanor-library.lock";

    // Waits until the lock is free. A link, FIFO, device or empty folder in
    // the lock file's place is removed and a lock file made anew. Throws
    // FileError when the lock file cannot be opened or made (a folder that is
    // gone answers ENOENT).
    explicit LibraryLock(const std::filesystem::path& folder);

private:
    FileDescriptor fd_;
};

}  // namespace brevanor
