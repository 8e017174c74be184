#pragma once

#include <cstdint>
#include <filesystem>

struct stat;

namespace brevanor {

// What tells one version of a file from another without reading it: a file
// replaced by rename gets a new inode, one changed in place a new size or new
// modification and status-change times (nanoseconds).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t sizeBytes = 0;
    std::int64_t modifiedNanos = 0;
    std::int64_t statusChangedNanos = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file `info` describes. One source file per system: the
// names of the time fields differ.
FileIdentity fileIdentity(const struct ::stat& info);

// Whether `path` still names the file open at `fd` (not through a link): the
// file was neither removed nor replaced since it was opened.
bool namesOpenFile(const std::filesystem::path& path, int fd);

}  // namespace brevanor
