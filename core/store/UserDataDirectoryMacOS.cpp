#include "core/store/UserDataDirectory.h"

namespace brevanor {

std::filesystem::path userDataDirectory() {
    // The user domain's Application Support folder; inside the app sandbox
    // $HOME is the container, so this is the container's folder there.
    return homeDirectory() / "Library" / "Application Support";
}

std::filesystem::path userStateDirectory() { return userDataDirectory(); }

}  // namespace brevanor
