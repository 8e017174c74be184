#include <cstdlib>

#include "core/store/UserDataDirectory.h"

namespace brevanor {

std::filesystem::path userDataDirectory() {
    // The XDG base-directory rules: a relative XDG_DATA_HOME is invalid and ignored.
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome != nullptr) {
        const std::filesystem::path path(dataHome);
        if (path.is_absolute()) return path;
    }
    return homeDirectory() / ".local" / "share";
}

}  // namespace brevanor
