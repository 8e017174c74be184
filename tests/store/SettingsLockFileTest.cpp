#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "core/store/FileError.h"
#include "core/store/SettingsLockFile.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

using std::chrono::milliseconds;

void writeLock(const std::filesystem::path& lock, long pid, const std::string& program) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::ofstream(lock) << pid << "\n" << program << "\n" << host << "\n";
}

TEST(SettingsLockFile, OneHolderAtATimeTheFileGoesWithItAndALockWhoseOwnerIsGoneIsTakenOver) {
    TemporaryDirectory folder;
    const auto settings = folder.path() / "Brevanor.conf";
    const auto lock = folder.path() / "Brevanor.conf.lock";
    {
        const SettingsLockFile held(settings);
        EXPECT_TRUE(std::filesystem::exists(lock));
        EXPECT_EQ(testing::thrown<FileError>([&] { const SettingsLockFile second(settings, milliseconds(50)); }),
                  FileError("lock", lock, EWOULDBLOCK));
    }
    EXPECT_FALSE(std::filesystem::exists(lock));
    { const SettingsLockFile again(settings, milliseconds(50)); }

    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    writeLock(lock, child, "Brevanor");
    { const SettingsLockFile taken(settings, milliseconds(500)); }

    // A live owner whose lock is young is waited for, even when it is not flock'ed.
    writeLock(lock, getppid(), "");
    EXPECT_THROW(SettingsLockFile(settings, milliseconds(50)), FileError);
}

}  // namespace
}  // namespace brevanor
