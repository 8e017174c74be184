// The journal that tells Brevanor's own XTest events from other programs',
// shared through a file by every Brevanor process of a display. Journal
// objects on one file stand for processes here; the concurrency test and the
// end-to-end test show it with real processes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/x11/X11SyntheticJournal.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/ScopedEnvironment.h"

namespace brevanor::testing {
namespace {

using Request = X11SyntheticJournal::Request;
constexpr std::uint64_t kMillisecond = 1'000'000;
constexpr std::uint64_t kStart = 1'000'000 * kMillisecond;

class SharedJournal : public ::testing::Test {
protected:
    std::filesystem::path file() const { return folder_.path() / "journal"; }

    TemporaryDirectory folder_;
};

TEST_F(SharedJournal, EveryListenerClaimsWhatAnyProcessPostedAndKnowsTheKeysItPressed) {
    X11SyntheticJournal player(file()), recorder(file()), app(file());
    ASSERT_FALSE(player.problem()) << *player.problem();
    EXPECT_EQ(std::filesystem::status(file()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    player.note({Request::motion, 0, 40, 30, kStart});
    player.note({Request::buttonPress, 1, 0, 0, kStart});
    player.note({Request::keyPress, 38, 0, 0, kStart});
    player.note({Request::keyRelease, 39, 0, 0, kStart});
    EXPECT_TRUE(app.notedKeyPressRecently(38, 150 * kMillisecond, kStart)) << "before it was claimed";

    // Both listeners see each event come back, so both claim each entry.
    for (X11SyntheticJournal* listener : {&recorder, &app}) {
        EXPECT_FALSE(listener->claim(Request::motion, 0, 41, 30, kStart)) << "another position is another move";
        EXPECT_TRUE(listener->claim(Request::motion, 0, 40, 30, kStart));
        EXPECT_TRUE(listener->claim(Request::buttonPress, 1, 0, 0, kStart));
        EXPECT_FALSE(listener->claim(Request::keyPress, 39, 0, 0, kStart)) << "another key";
        EXPECT_TRUE(listener->claim(Request::keyPress, 38, 0, 0, kStart));
        EXPECT_FALSE(listener->claim(Request::keyPress, 38, 0, 0, kStart)) << "claimed once";
    }
    // Entries noted before a listener opened the journal are not its to claim.
    X11SyntheticJournal late(file());
    EXPECT_FALSE(late.claim(Request::keyPress, 38, 0, 0, kStart));

    // Which keys any process pressed lately, claimed or not.
    const std::uint64_t window = 150 * kMillisecond;
    EXPECT_TRUE(app.notedKeyPressRecently(38, window, kStart + 100 * kMillisecond));
    EXPECT_FALSE(app.notedKeyPressRecently(38, 50 * kMillisecond, kStart + 100 * kMillisecond));
    EXPECT_FALSE(app.notedKeyPressRecently(38, window, kStart - 1)) << "noted after now";
    EXPECT_FALSE(app.notedKeyPressRecently(39, window, kStart)) << "a release is no press";
}

TEST_F(SharedJournal, ProcessesOfOneDisplayShareItAndNoOther) {
    const ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder_.path().string());
    const auto player = X11SyntheticJournal::forDisplay(":7");
    const auto sameDisplay = X11SyntheticJournal::forDisplay("unix:7.0");
    const auto otherDisplay = X11SyntheticJournal::forDisplay(":8");

    player->note({Request::keyPress, 38, 0, 0, kStart});
    EXPECT_TRUE(sameDisplay->claim(Request::keyPress, 38, 0, 0, kStart));
    EXPECT_FALSE(otherDisplay->claim(Request::keyPress, 38, 0, 0, kStart));
}

TEST_F(SharedJournal, AClaimForgetsTheOlderEntriesOfItsOwnWriterOnly) {
    X11SyntheticJournal first(file()), second(file()), listener(file());
    first.note({Request::keyPress, 10, 0, 0, kStart});   // never comes back: its request failed
    second.note({Request::keyPress, 20, 0, 0, kStart});  // noted before, handled by the server after first's next one
    first.note({Request::keyPress, 30, 0, 0, kStart});

    EXPECT_TRUE(listener.claim(Request::keyPress, 30, 0, 0, kStart));
    EXPECT_FALSE(listener.claim(Request::keyPress, 10, 0, 0, kStart)) << "older than a claimed entry of its writer";
    EXPECT_TRUE(listener.claim(Request::keyPress, 20, 0, 0, kStart)) << "another writer's entry stays";
}

TEST_F(SharedJournal, OldEntriesAgeOutAndALaggingListenerKeepsTheNewest) {
    X11SyntheticJournal player(file()), listener(file());
    player.note({Request::keyPress, 38, 0, 0, kStart});
    EXPECT_FALSE(listener.claim(Request::keyPress, 38, 0, 0, kStart + X11SyntheticJournal::kLifetimeNanos + 1));

    // More posts than the ring holds while the listener read nothing: the oldest are gone, the newest claimable.
    const int count = static_cast<int>(X11SyntheticJournal::kCapacity) + 10;
    for (int i = 0; i < count; ++i) player.note({Request::motion, 0, i, 0, kStart});
    EXPECT_FALSE(listener.claim(Request::motion, 0, 5, 0, kStart));
    EXPECT_TRUE(listener.claim(Request::motion, 0, count - 1, 0, kStart));
}

// Each journal that cannot share its file says why and still serves its own process.
TEST_F(SharedJournal, AFileItCannotUseLeavesAJournalOfTheProcessAlone) {
    const auto expectPrivate = [&](const std::string& why) {
        X11SyntheticJournal player(file()), listener(file());
        ASSERT_TRUE(player.problem()) << why;
        EXPECT_NE(player.problem()->find(file().string()), std::string::npos) << *player.problem();
        player.note({Request::keyPress, 38, 0, 0, kStart});
        EXPECT_FALSE(listener.claim(Request::keyPress, 38, 0, 0, kStart)) << why;
        EXPECT_TRUE(player.claim(Request::keyPress, 38, 0, 0, kStart)) << why;
    };
    std::filesystem::create_directory(file());
    expectPrivate("a folder where the file should be");
    std::filesystem::remove(file());

    std::ofstream(file()) << "a file of an older layout";
    chmod(file().c_str(), 0600);
    expectPrivate("another size");

    { X11SyntheticJournal creator(file().string() + "-new"); }
    std::filesystem::rename(file().string() + "-new", file());
    std::fstream header(file(), std::ios::binary | std::ios::in | std::ios::out);
    header.seekp(4);
    header.put(char{99});  // the version
    header.close();
    expectPrivate("another version");

    std::filesystem::remove(file());
    { X11SyntheticJournal creator(file()); }
    chmod(file().c_str(), 0620);
    expectPrivate("others may write it");
}

TEST_F(SharedJournal, DamageInTheRingMatchesNothingAndBreaksNothing) {
    X11SyntheticJournal listener(file());
    {
        // A writer that died between taking a place and filling it: the count moved on, the place stays empty.
        X11SyntheticJournal dying(file());
        std::fstream ring(file(), std::ios::binary | std::ios::in | std::ios::out);
        std::uint64_t next = 0;
        ring.seekg(16);
        ring.read(reinterpret_cast<char*>(&next), sizeof next);
        ++next;
        ring.seekp(16);
        ring.write(reinterpret_cast<const char*>(&next), sizeof next);
    }
    X11SyntheticJournal player(file());
    player.note({Request::keyPress, 38, 0, 0, kStart});
    EXPECT_TRUE(listener.claim(Request::keyPress, 38, 0, 0, kStart)) << "the places after it are read";

    // Another program of the user's scribbles over the count and every place.
    {
        std::mt19937 random(7);
        std::fstream scribble(file(), std::ios::binary | std::ios::in | std::ios::out);
        scribble.seekp(16);
        const auto size = std::filesystem::file_size(file());
        for (std::uintmax_t i = 16; i + 4 <= size; i += 4) {
            const std::uint32_t word = random();
            scribble.write(reinterpret_cast<const char*>(&word), 4);
        }
    }
    EXPECT_FALSE(listener.claim(Request::keyPress, 38, 0, 0, kStart));
    player.note({Request::keyPress, 40, 0, 0, kStart});
    EXPECT_TRUE(listener.claim(Request::keyPress, 40, 0, 0, kStart));
}

// Any program of the user's may truncate the file, and a newer Brevanor may
// give it another layout: touching pages the file no longer has must not end
// the player (leaving its keys held), the recorder or the application.
TEST_F(SharedJournal, AFileCutShortUnderItEndsNoProcess) {
    X11SyntheticJournal player(file()), listener(file());
    ASSERT_TRUE(player.isShared());
    player.note({Request::keyPress, 38, 0, 0, kStart});
    ASSERT_EQ(truncate(file().c_str(), 0), 0);

    player.note({Request::keyRelease, 38, 0, 0, kStart});
    EXPECT_FALSE(listener.claim(Request::keyPress, 38, 0, 0, kStart)) << "what the file held is gone";
    EXPECT_FALSE(player.isShared());
    EXPECT_FALSE(listener.isShared());
    player.note({Request::keyPress, 39, 0, 0, kStart});
    EXPECT_TRUE(player.claim(Request::keyPress, 39, 0, 0, kStart)) << "it carries on as the process's own";
}

// A runtime folder on a small tmpfs that fills up: the pages of a journal
// are its own from the start, and a file left with holes (by an earlier
// version, or another program) is not shared, since a write into a hole would
// find no room. Needs a file system of its own, so it runs where a mount
// namespace can be made (root, as in CI).
TEST_F(SharedJournal, AFullFileSystemEndsNoProcess) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, "size=2m,mode=0700") != 0) {
            _exit(77);
        }
        const std::filesystem::path early = folder_.path() / "early", holes = folder_.path() / "holes";
        X11SyntheticJournal player(early), withHoles(holes);
        {
            const int fd = open(holes.c_str(), O_RDWR);
            const auto size = static_cast<off_t>(std::filesystem::file_size(holes));
            if (fd < 0 || fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, 0, size) != 0) _exit(8);
            close(fd);
        }
        const int filler = open((folder_.path() / "filler").c_str(), O_WRONLY | O_CREAT, 0600);
        const std::string block(64 * 1024, 'x');
        while (write(filler, block.data(), block.size()) > 0) {
        }
        close(filler);

        int failures = 0;
        const int count = static_cast<int>(X11SyntheticJournal::kCapacity) + 10;
        for (int i = 0; i < count; ++i) player.note({Request::motion, 0, i, 0, kStart});
        if (!player.isShared() || !player.claim(Request::motion, 0, count - 1, 0, kStart)) failures |= 1;
        withHoles.note({Request::keyPress, 38, 0, 0, kStart});
        if (withHoles.isShared() || !withHoles.claim(Request::keyPress, 38, 0, 0, kStart)) failures |= 2;
        if (!X11SyntheticJournal(holes).problem()) failures |= 4;
        _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no tmpfs of its own can be mounted here (needs root)";
    EXPECT_EQ(WEXITSTATUS(status) & 1, 0) << "the first journal lost its shared entries";
    EXPECT_EQ(WEXITSTATUS(status) & 2, 0) << "the journal on a file with holes did not carry on alone";
    EXPECT_EQ(WEXITSTATUS(status) & 4, 0) << "a file with holes was shared on a full file system";
    EXPECT_EQ(WEXITSTATUS(status) & 8, 0) << "could not punch holes";
}

}  // namespace
}  // namespace brevanor::testing
