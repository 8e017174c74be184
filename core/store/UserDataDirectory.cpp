#include "core/store/UserDataDirectory.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "core/store/FileError.h"

namespace brevanor {

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;

    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384);
    struct passwd account {};
    struct passwd* found = nullptr;
    const int error = ::getpwuid_r(::getuid(), &account, buffer.data(), buffer.size(), &found);
    if (found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] == '\0') {
        throw FileError("find the home folder", "$HOME", error != 0 ? error : ENOENT);
    }
    return found->pw_dir;
}

}  // namespace brevanor
