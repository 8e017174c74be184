#pragma once

#include <chrono>
#include <filesystem>

#include "core/store/FileDescriptor.h"

namespace brevanor {

// Holds the lock of the preferences file while one writer reads, changes and
// writes it: the file "<settings file>.lock", created exclusively and holding
// the owner's process id, program name and host name, with an flock on it
// while held. It is the lock QSettings takes (as QLockFile makes it), so that
// earlier versions of the application, which wrote the file with QSettings,
// and this one never lose each other's changes either. A lock left by a
// process that is gone is taken over, and so is a file under the lock's name
// that no writer made (no process id in it, nobody holding its flock); a
// link, FIFO, device or empty folder there is removed.
class SettingsLockFile {
public:
    // Waits up to `patience` for the lock; throws FileError (EWOULDBLOCK) when it stays taken.
    explicit SettingsLockFile(const std::filesystem::path& settingsFile,
                              std::chrono::milliseconds patience = std::chrono::seconds(10));
    ~SettingsLockFile();
    SettingsLockFile(const SettingsLockFile&) = delete;
    SettingsLockFile& operator=(const SettingsLockFile&) = delete;

    // A lock is stale when its owner is gone, or when nobody holds its flock and it is older than this.
    static constexpr std::chrono::seconds kStaleAge{30};

private:
    bool tryLock();
    bool removeIfStale();

    std::filesystem::path path_;
    FileDescriptor fd_;
};

}  // namespace brevanor
