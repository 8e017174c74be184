// Both lock files of Brevanor, the library's and the preferences', with
// something that is no lock in their place: a program of the user's, a dotfile
// manager or a slip of the hand put it there. No lock may hang, feed a reader
// without end, or wait out its patience for it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>

#include "core/store/FileError.h"
#include "core/store/LibraryLock.h"
#include "core/store/SettingsLockFile.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

struct Damage {
    const char* what;
    std::function<void(const std::filesystem::path& lock)> make;
};

const std::vector<Damage>& damages() {
    static const std::vector<Damage> all{
        {"a FIFO", [](const auto& lock) { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); }},
        {"a link to a device", [](const auto& lock) { std::filesystem::create_symlink("/dev/zero", lock); }},
        {"a dangling link", [](const auto& lock) { std::filesystem::create_symlink("nowhere", lock); }},
        {"an empty folder", [](const auto& lock) { std::filesystem::create_directory(lock); }},
        {"a file of garbage", [](const auto& lock) { std::ofstream(lock) << "not a lock\n"; }},
    };
    return all;
}

// The library's lock replaces it; the preferences' takes it over at once.
TEST(DamagedLockFile, BothLocksTakeOverWhatIsNoLock) {
    for (const Damage& damage : damages()) {
        SCOPED_TRACE(damage.what);
        TemporaryDirectory folder;
        const auto lock = folder.path() / LibraryLock::fileName;
        damage.make(lock);
        { const LibraryLock held(folder.path()); }
        EXPECT_EQ(std::filesystem::symlink_status(lock).type(), std::filesystem::file_type::regular);

        const auto settings = folder.path() / "Brevanor.conf";
        damage.make(settings.string() + ".lock");
        // Far less than the age at which a lock of a writer that may be alive is taken over.
        const SettingsLockFile held(settings, std::chrono::milliseconds(200));
    }
}

TEST(DamagedLockFile, AFolderWithFilesInItIsNamedAndLeftAlone) {
    TemporaryDirectory folder;
    const auto settings = folder.path() / "Brevanor.conf";
    for (const auto& lock : {folder.path() / LibraryLock::fileName, folder.path() / "Brevanor.conf.lock"}) {
        std::filesystem::create_directory(lock);
        std::ofstream(lock / "kept") << "the user's";
    }
    const auto expectNamed = [](const std::function<void()>& take) {
        const auto error = testing::thrown<FileError>(take);
        EXPECT_THAT(error ? error->what() : "taken", ::testing::HasSubstr("a folder with files in it"));
    };
    expectNamed([&] { LibraryLock held(folder.path()); });
    expectNamed([&] { SettingsLockFile held(settings, std::chrono::milliseconds(200)); });
    EXPECT_TRUE(std::filesystem::exists(folder.path() / LibraryLock::fileName / "kept"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "Brevanor.conf.lock" / "kept"));
}

}  // namespace
}  // namespace brevanor
