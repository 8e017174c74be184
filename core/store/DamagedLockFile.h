#pragma once

#include <filesystem>

namespace brevanor {

// Lock files are Brevanor's alone and always regular files. A link, FIFO,
// device or folder under a lock's name is damage (another program, a dotfile
// manager, a slip of the hand) that would hang whoever opens it, or feed it
// endless bytes. Removes such a thing, holding the folder's flock so that two
// processes mending the same lock never remove the regular file one of them
// has just made in its place. Answers whether it removed something: false
// when a regular file or nothing is there. Throws FileError when the damage
// cannot be removed (a folder with files in it, a folder we may not change).
bool removeDamagedLockFile(const std::filesystem::path& lockFile);

}  // namespace brevanor
