#include <sys/stat.h>

#include "core/store/FileIdentity.h"

namespace brevanor {

namespace {

std::int64_t nanos(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + static_cast<std::int64_t>(time.tv_nsec);
}

}  // namespace

FileIdentity fileIdentity(const struct ::stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size), nanos(info.st_mtim), nanos(info.st_ctim)};
}

}  // namespace brevanor
