#include <cstdlib>

#include "core/store/UserDataDirectory.h"

namespace brevanor {

namespace {

// The XDG base-directory rules: a relative value is invalid and ignored.
std::filesystem::path xdgDirectory(const char* variable, const std::filesystem::path& underHome) {
    if (const char* value = std::getenv(variable); value != nullptr) {
        const std::filesystem::path path(value);
        if (path.is_absolute()) return path;
    }
    return homeDirectory() / underHome;
}

}  // namespace

std::filesystem::path userDataDirectory() { return xdgDirectory("XDG_DATA_HOME", ".local/share"); }

std::filesystem::path userStateDirectory() { return xdgDirectory("XDG_STATE_HOME", ".local/state"); }

}  // namespace brevanor
