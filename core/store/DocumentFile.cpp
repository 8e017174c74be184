#include "core/store/DocumentFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "core/store/DocumentTooLargeError.h"
#include "core/store/FileDescriptor.h"
#include "core/store/FileError.h"

namespace brevanor {

std::vector<DocumentFile> listDocumentFiles(const std::filesystem::path& folder, std::string_view extension) {
    const std::string dottedExtension = "." + std::string(extension);
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.c_str()), ::closedir);
    if (!directory) throw FileError("list", folder, errno);
    std::vector<DocumentFile> files;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory.get());
        if (entry == nullptr) break;
        const std::string_view name(entry->d_name);
        if (name.starts_with('.') || !name.ends_with(dottedExtension)) continue;
        // Following links: a dangling one fails and a link to a document counts as the document.
        struct stat info {};
        if (::fstatat(::dirfd(directory.get()), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
        files.push_back({folder / name, fileIdentity(info)});
    }
    if (errno != 0) throw FileError("list", folder, errno);
    return files;
}

FileIdentity readDocumentFile(const std::filesystem::path& path, std::uintmax_t maxBytes, DocumentBytes& bytes) {
    // Non-blocking, so that a pipe under a document's name cannot stall the
    // open; the check of the file type below then refuses it.
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen()) throw FileError("read", path, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) throw FileError("read", path, errno);
    if (S_ISDIR(info.st_mode)) throw FileError("read", path, EISDIR);
    if (!S_ISREG(info.st_mode)) throw FileError("read", path, EINVAL, "not a regular file");
    const auto expectedBytes = static_cast<std::uintmax_t>(info.st_size);
    if (expectedBytes > maxBytes) throw DocumentTooLargeError(DocumentTooLargeError::Case::fileTooLarge, maxBytes);

    // One byte more than the size, so that the end shows at once; a file that
    // grows while it is read is followed up to the limit.
    std::size_t room = static_cast<std::size_t>(expectedBytes) + 1;
    char* data = bytes.resize(room);
    std::size_t filled = 0;
    for (;;) {
        if (filled == room) {
            if (filled > maxBytes) throw DocumentTooLargeError(DocumentTooLargeError::Case::fileTooLarge, maxBytes);
            room = static_cast<std::size_t>(std::min<std::uintmax_t>(maxBytes + 1, filled * 2));
            data = bytes.resize(room);
        }
        const ssize_t count = ::read(fd.get(), data + filled, room - filled);
        if (count < 0) {
            if (errno == EINTR) continue;
            throw FileError("read", path, errno);
        }
        if (count == 0) break;
        filled += static_cast<std::size_t>(count);
    }
    // Editors on some systems open UTF-8 files with a byte order mark; JSON has no place for it.
    if (constexpr std::string_view bom = "\xEF\xBB\xBF"; std::string_view(data, filled).starts_with(bom)) {
        std::memmove(data, data + bom.size(), filled - bom.size());
        filled -= bom.size();
    }
    bytes.resize(filled);
    return fileIdentity(info);
}

}  // namespace brevanor
