#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/store/AtomicFileWriter.h"
#include "core/store/FileDescriptor.h"
#include "core/store/FileError.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

using ::testing::ElementsAre;

// Passes at most `limit` bytes per call to the real write(2).
AtomicFileWriter::WriteCall writingAtMost(std::size_t limit) {
    return [limit](int fd, const void* bytes, std::size_t count) -> std::ptrdiff_t {
        return ::write(fd, bytes, std::min(count, limit));
    };
}

// Writes `capacity` bytes in all, then behaves like a full disk: a short
// count for the write that crosses the end, then `errorNumber` (or 0 bytes).
AtomicFileWriter::WriteCall diskHolding(std::size_t capacity, int errorNumber) {
    auto used = std::make_shared<std::size_t>(0);
    return [=](int fd, const void* bytes, std::size_t count) -> std::ptrdiff_t {
        const std::size_t room = capacity - *used;
        if (room == 0) {
            if (errorNumber == 0) return 0;
            errno = errorNumber;
            return -1;
        }
        const std::ptrdiff_t written = ::write(fd, bytes, std::min(count, room));
        if (written > 0) *used += static_cast<std::size_t>(written);
        return written;
    };
}

class AtomicFileWriterTest : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    const std::filesystem::path target = folder.path() / "doc.json";
};

std::string largeText() {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
}

// The replacing write goes on after short writes.
TEST_F(AtomicFileWriterTest, CreatesAndReplacesFilesReadableByTheUserOnly) {
    const std::string text = largeText();
    const mode_t previousMask = ::umask(022);
    AtomicFileWriter().write(target, "first");
    AtomicFileWriter(writingAtMost(7)).write(target, text);
    ::umask(previousMask);

    EXPECT_EQ(readFile(target), text);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_THAT(fileNames(folder.path()), ElementsAre("doc.json"));
}

TEST_F(AtomicFileWriterTest, FullDiskFailsAndKeepsTheOldFile) {
    for (const int errorNumber : {ENOSPC, EDQUOT, 0}) {
        SCOPED_TRACE(errorNumber);
        writeFile(target, "old document");

        const auto error = testing::thrown<FileError>(
            [&] { AtomicFileWriter(diskHolding(1000, errorNumber)).write(target, largeText()); });
        EXPECT_EQ(error, FileError("write", target, errorNumber == 0 ? ENOSPC : errorNumber));
        EXPECT_THAT(error ? error->what() : "", ::testing::HasSubstr(target.string()));
        EXPECT_EQ(readFile(target), "old document");
        EXPECT_THAT(fileNames(folder.path()), ElementsAre("doc.json"));
    }
}

TEST_F(AtomicFileWriterTest, AWriteThatCannotBeMadeFailsNamingWhereAndLeavesNoTemporaryFile) {
    const auto missing = folder.path() / "missing";
    const auto error = testing::thrown<FileError>([&] { AtomicFileWriter().write(missing / "doc.json", "text"); });
    EXPECT_EQ(error ? error->errorNumber() : 0, ENOENT);
    EXPECT_EQ(error ? error->path() : "", missing);

    // A folder in the way fails the rename.
    std::filesystem::create_directory(target);
    std::filesystem::create_directory(target / "inside");
    EXPECT_THROW(AtomicFileWriter().write(target, "text"), FileError);
    EXPECT_THAT(fileNames(folder.path()), ElementsAre("doc.json"));
    EXPECT_TRUE(std::filesystem::is_directory(target / "inside"));
}

TEST_F(AtomicFileWriterTest, CreatesOnlyWhereNothingHasTheName) {
    EXPECT_TRUE(AtomicFileWriter().create(target, "first"));
    EXPECT_FALSE(AtomicFileWriter().create(target, "second"));
    EXPECT_EQ(readFile(target), "first");

    // A dangling link and a folder keep their names too; no temporary file stays behind.
    std::filesystem::create_symlink(folder.path() / "nowhere", folder.path() / "link.json");
    EXPECT_FALSE(AtomicFileWriter().create(folder.path() / "link.json", "text"));
    std::filesystem::create_directory(folder.path() / "folder.json");
    EXPECT_FALSE(AtomicFileWriter().create(folder.path() / "folder.json", "text"));
    EXPECT_THAT(fileNames(folder.path()), ElementsAre("doc.json", "folder.json", "link.json"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "nowhere"));
}

TEST_F(AtomicFileWriterTest, CleanerRemovesOnlyAbandonedTemporaryFiles) {
    const auto abandoned = folder.path() / ".brevanor-save-a1b2c3";
    const auto inProgress = folder.path() / ".brevanor-save-d4e5f6";
    writeFile(abandoned, "half a docu");
    writeFile(inProgress, "being writ");
    writeFile(folder.path() / ".brevanor-save-toolong", "not ours");
    writeFile(folder.path() / "doc.json", "document");

    // A writer at work holds the lock on its file.
    const FileDescriptor writer(::open(inProgress.c_str(), O_RDWR | O_CLOEXEC));
    ASSERT_TRUE(writer.isOpen());
    ASSERT_EQ(::flock(writer.get(), LOCK_EX), 0);

    AtomicFileWriter::removeAbandonedTemporaryFiles(folder.path());
    EXPECT_THAT(fileNames(folder.path()), ElementsAre(".brevanor-save-d4e5f6", ".brevanor-save-toolong", "doc.json"));
}

}  // namespace
}  // namespace brevanor
