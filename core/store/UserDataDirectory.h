#pragma once

#include <filesystem>

namespace brevanor {

// The user's home folder: $HOME, else the home folder of the user's account.
// Throws FileError when neither is known.
std::filesystem::path homeDirectory();

// The folder where this system keeps per-user application data, without any
// application's name: $XDG_DATA_HOME or ~/.local/share on Linux desktops,
// ~/Library/Application Support on macOS. One source file per system.
std::filesystem::path userDataDirectory();

// The folder for per-user state worth keeping that is no document of the
// user's library: $XDG_STATE_HOME or ~/.local/state on Linux desktops, the
// same as userDataDirectory() on macOS.
std::filesystem::path userStateDirectory();

}  // namespace brevanor
