#pragma once

#include <filesystem>

namespace brevanor {

// Creates `folder` and its missing parents. They hold keystrokes and
// preferences, so only the user may enter the folders made here (mode 0700);
// folders already there stay as they are. Throws FileError when that fails or
// something other than a folder has the name.
void createPrivateFolder(const std::filesystem::path& folder);

}  // namespace brevanor
