#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace brevanor {

// Replaces a file with new contents so that readers, crashes and power loss
// only ever find the old file or the whole new one. The bytes go to a hidden
// temporary file in the target's folder, which is flushed to disk, renamed
// over the target, and the folder is flushed too. Files are created readable
// and writable by the user only.
class AtomicFileWriter {
public:
    // The system's write(2): writes up to `count` bytes and answers how many it
    // wrote, or -1 with errno set. Tests replace it to play a full disk.
    using WriteCall = std::function<std::ptrdiff_t(int fd, const void* bytes, std::size_t count)>;

    AtomicFileWriter();
    explicit AtomicFileWriter(WriteCall writeCall);

    // Throws FileError; the target and its folder are then as they were before.
    void write(const std::filesystem::path& target, std::string_view bytes) const;

    // Removes the temporary files in `folder` whose writer died before it
    // finished (a writer that is still at work keeps its file). Best effort:
    // anything that cannot be removed stays.
    static void removeAbandonedTemporaryFiles(const std::filesystem::path& folder);

    // Whether a file name is one of the temporary files this writer makes.
    static bool isTemporaryFileName(std::string_view name);

private:
    WriteCall writeCall_;
};

}  // namespace brevanor
