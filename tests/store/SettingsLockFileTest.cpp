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

TEST(SettingsLockFile, OneHolderAtATimeAndTheFileGoesWithIt) {
    TemporaryDirectory folder;
    const auto settings = folder.path() / "Brevanor.conf";
    {
        const SettingsLockFile held(settings);
        EXPECT_TRUE(std::filesystem::exists(folder.path() / "Brevanor.conf.lock"));
        EXPECT_EQ(testing::thrown<FileError>([&] { const SettingsLockFile second(settings, milliseconds(50)); }),
                  FileError("lock", settings.string() + ".lock", EWOULDBLOCK));
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Brevanor.conf.lock"));
    const SettingsLockFile again(settings, milliseconds(50));
}

TEST(SettingsLockFile, TakesOverALockWhoseOwnerIsGone) {
    TemporaryDirectory folder;
    const auto settings = folder.path() / "Brevanor.conf";
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    writeLock(folder.path() / "Brevanor.conf.lock", child, "Brevanor");
    const SettingsLockFile taken(settings, milliseconds(500));

    // A live owner whose lock is young is waited for, even when it is not flock'ed.
    TemporaryDirectory other;
    writeLock(other.path() / "Brevanor.conf.lock", getppid(), "");
    EXPECT_THROW(SettingsLockFile(other.path() / "Brevanor.conf", milliseconds(50)), FileError);
}

}  // namespace
}  // namespace brevanor
