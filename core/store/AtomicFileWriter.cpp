#include "core/store/AtomicFileWriter.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "core/store/FileDescriptor.h"
#include "core/store/FileError.h"
#include "core/store/FileIdentity.h"
#include "core/store/RenameNoReplace.h"

namespace brevanor {

namespace {

// Hidden and without the ".json" extension, so listings never take it for a document.
constexpr std::string_view kTemporaryPrefix = ".brevanor-save-";
constexpr std::string_view kRandomPart = "XXXXXX";  // replaced by mkostemp
constexpr int kMaxCreateAttempts = 16;

struct TemporaryFile {
    std::filesystem::path path;
    FileDescriptor fd;
};

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// A new temporary file in `folder`, locked for as long as the descriptor is
// open so that removeAbandonedTemporaryFiles() leaves it alone. mkostemp
// creates it with mode 0600 (less the umask): readable by the user only.
TemporaryFile createTemporaryFile(const std::filesystem::path& folder) {
    for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
        std::string pattern = (folder / (std::string(kTemporaryPrefix) + std::string(kRandomPart))).string();
        FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
        if (!fd.isOpen()) throw FileError("create a temporary file in", folder, errno);
        // A file system without locks fails here and in the cleaner alike, so
        // the cleaner never removes a file it could not lock: going on is safe.
        (void)::flock(fd.get(), LOCK_EX);
        // A cleaner may have found the file between its creation and the lock
        // and removed it; then the name is free again and a new file is needed.
        if (namesOpenFile(pattern, fd.get())) return {std::filesystem::path(pattern), std::move(fd)};
    }
    throw FileError("create a temporary file in", folder, EAGAIN);
}

int flushToDisk(int fd) {
#ifdef F_FULLFSYNC
    // Where it exists (macOS), fsync leaves the data in the drive's cache; this reaches the disk.
    if (::fcntl(fd, F_FULLFSYNC) == 0) return 0;
#endif
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result;
}

void flushFolder(const std::filesystem::path& folder) {
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen()) throw FileError("flush the folder", folder, errno);
    // Some file systems cannot flush a folder (EINVAL); there the rename is as durable as it gets.
    if (flushToDisk(fd.get()) != 0 && errno != EINVAL) throw FileError("flush the folder", folder, errno);
}

// Gives the temporary file the target's name unless something already has it (then false).
bool placeWithoutReplacing(const std::filesystem::path& temporary, const std::filesystem::path& target) {
    if (renameNoReplace(temporary.c_str(), target.c_str()) == 0) return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) throw FileError("create", target, errno);
    // A file system without that kind of rename still refuses a hard link onto a taken name.
    if (::link(temporary.c_str(), target.c_str()) != 0) {
        if (errno == EEXIST) return false;
        throw FileError("create", target, errno);
    }
    ::unlink(temporary.c_str());
    return true;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter()
    : writeCall_(
          [](int fd, const void* bytes, std::size_t count) -> std::ptrdiff_t { return ::write(fd, bytes, count); }) {}

AtomicFileWriter::AtomicFileWriter(WriteCall writeCall) : writeCall_(std::move(writeCall)) {}

void AtomicFileWriter::write(const std::filesystem::path& target, std::string_view bytes) const {
    put(
        target, [bytes](const Output& output) { output(bytes); }, Placement::replace);
}

void AtomicFileWriter::write(const std::filesystem::path& target, const Producer& produce) const {
    put(target, produce, Placement::replace);
}

bool AtomicFileWriter::create(const std::filesystem::path& target, std::string_view bytes) const {
    return put(
        target, [bytes](const Output& output) { output(bytes); }, Placement::createOnly);
}

bool AtomicFileWriter::create(const std::filesystem::path& target, const Producer& produce) const {
    return put(target, produce, Placement::createOnly);
}

bool AtomicFileWriter::put(const std::filesystem::path& target, const Producer& produce, Placement placement) const {
    const std::filesystem::path folder = folderOf(target);
    TemporaryFile temporary = createTemporaryFile(folder);
    try {
        // A write may take fewer bytes than asked (a disk that is nearly full),
        // so each count is checked and the rest written again.
        produce([&](std::string_view bytes) {
            const char* next = bytes.data();
            std::size_t left = bytes.size();
            while (left > 0) {
                const std::ptrdiff_t written = writeCall_(temporary.fd.get(), next, left);
                if (written < 0) {
                    if (errno == EINTR) continue;
                    throw FileError("write", target, errno);
                }
                // No progress and no error: a disk that is full without saying so.
                if (written == 0) throw FileError("write", target, ENOSPC);
                next += written;
                left -= static_cast<std::size_t>(written);
            }
        });
        if (flushToDisk(temporary.fd.get()) != 0) throw FileError("write", target, errno);
        if (placement == Placement::replace) {
            if (::rename(temporary.path.c_str(), target.c_str()) != 0) throw FileError("replace", target, errno);
        } else if (!placeWithoutReplacing(temporary.path, target)) {
            ::unlink(temporary.path.c_str());
            return false;
        }
    } catch (...) {
        // Still locked, so no cleaner can have taken the name in the meantime.
        ::unlink(temporary.path.c_str());
        throw;
    }
    // The lock goes only now that the file carries its final name.
    temporary.fd.reset();
    flushFolder(folder);
    return true;
}

void AtomicFileWriter::removeAbandonedTemporaryFiles(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (const std::filesystem::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const std::filesystem::path& path = entries->path();
        if (!isTemporaryFileName(path.filename().native())) continue;
        const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!fd.isOpen()) continue;
        // The lock dies with its writer: a file we can lock has nobody writing it.
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (namesOpenFile(path, fd.get())) ::unlink(path.c_str());
    }
}

bool AtomicFileWriter::isTemporaryFileName(std::string_view name) {
    return name.size() == kTemporaryPrefix.size() + kRandomPart.size() && name.starts_with(kTemporaryPrefix);
}

}  // namespace brevanor
