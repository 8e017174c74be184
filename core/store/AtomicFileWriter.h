#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace brevanor {

// Puts a file in place so that readers, crashes and power loss only ever find
// the old file (or none) or the whole new one. The bytes go to a hidden
// temporary file in the target's folder, which is flushed to disk, then given
// the target's name, and the folder is flushed too. Files are created
// readable and writable by the user only.
class AtomicFileWriter {
public:
    // The system's write(2): writes up to `count` bytes and answers how many it
    // wrote, or -1 with errno set. Tests replace it to play a full disk.
    using WriteCall = std::function<std::ptrdiff_t(int fd, const void* bytes, std::size_t count)>;
    // Appends bytes to the file being written.
    using Output = std::function<void(std::string_view bytes)>;
    // Writes the whole content through the output it is given, in as many pieces as it likes.
    using Producer = std::function<void(const Output& output)>;

    AtomicFileWriter();
    explicit AtomicFileWriter(WriteCall writeCall);

    // Replaces whatever is at `target`. Throws FileError, or what the producer
    // throws; the target and its folder are then as they were before.
    void write(const std::filesystem::path& target, std::string_view bytes) const;
    void write(const std::filesystem::path& target, const Producer& produce) const;

    // Gives `target` the content only if nothing is there, in one step no other
    // process can come between: answers false, leaving both as they were, when
    // something (a file, a folder, a link) already has the name. Throws as write().
    bool create(const std::filesystem::path& target, std::string_view bytes) const;
    bool create(const std::filesystem::path& target, const Producer& produce) const;

    // Removes the temporary files in `folder` whose writer died before it
    // finished (a writer that is still at work keeps its file). Best effort:
    // anything that cannot be removed stays.
    static void removeAbandonedTemporaryFiles(const std::filesystem::path& folder);

    // Whether a file name is one of the temporary files this writer makes.
    static bool isTemporaryFileName(std::string_view name);

private:
    enum class Placement { replace, createOnly };

    bool put(const std::filesystem::path& target, const Producer& produce, Placement placement) const;

    WriteCall writeCall_;
};

}  // namespace brevanor
