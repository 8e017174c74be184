// The programs users run, each as its own process in a private X server, while
// another program cuts the shared synthetic-input journal short under them (as
// `: > $XDG_RUNTIME_DIR/brevanor-synthetic-input-…` does): none may die of it,
// leave a key held or lose a recording.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cli/ChildProcess.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "platform/x11/X11HeldInput.h"
#include "tests/desktop/BrevanorEnvironment.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/WaitUntil.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;
using testing::waitUntil;

class SharedFileDamageTest : public testing::XvfbSuite {
protected:
    void SetUp() override {
        if (!ChildProcess::isAvailable("xdotool")) GTEST_SKIP() << "xdotool is not installed";
        XvfbSuite::SetUp();
        if (IsSkipped()) return;
        testing::makeBrevanorFolders(folder_.path(), "hasLaunchedBefore=true\ncountdownSeconds=0\n");
    }

    ChildProcess start(std::vector<std::string> arguments, const std::string& name) {
        const auto& base = folder_.path();
        ChildProcess::Options options;
        options.environment = testing::brevanorEnvironment(base, session_->displayName());
        options.standardOutput = base / (name + ".out");
        options.standardError = base / (name + ".err");
        return ChildProcess(arguments, options);
    }

    // What another program does to the file: it keeps its name and loses its pages.
    void cutJournalShort() const {
        const auto journal = folder_.path() / "runtime" / ("brevanor-synthetic-input-v1-" + session_->displayName());
        ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(journal); })) << "the journal was never made";
        ASSERT_EQ(::truncate(journal.c_str(), 0), 0);
    }
    void type(const std::string& text) const {
        ASSERT_EQ(session_->run("xdotool type --delay 20 " + text + " >/dev/null 2>&1"), 0);
    }
    // The record shortcut, which stops a recording holding everything typed before, for the
    // listener reads in the server's order.
    void pressRecordShortcut() const { ASSERT_EQ(session_->run("xdotool key ctrl+alt+super+r"), 0); }
    static std::int64_t keyDownsOf(const Recording& recording) {
        return std::count_if(recording.events.begin(), recording.events.end(),
                             [](const RecordingEvent& event) { return event.kind() == RecordingEvent::Kind::keyDown; });
    }
    // Whether the server holds any key or button down, whoever pressed it.
    static bool anyKeyHeld() { return X11HeldInput(session_->displayName()).isAnyKeyOrButtonHeld(); }

    TemporaryDirectory folder_;
};

// The journal cut short under a recording, and the library folder gone bad
// (here a file in its place; a full or read-only disk alike): the recording is
// kept whole in the state folder.
TEST_F(SharedFileDamageTest, ARecordingIsKeptWholeElsewhereWhenTheLibraryCannotTakeIt) {
    ChildProcess record = start({BREVANOR_CLI_PROGRAM, "record", "--name", "Homeless"}, "record");
    ASSERT_TRUE(waitUntil([&] {
        return readFile(folder_.path() / "record.err").find("Recording.") != std::string::npos;
    })) << readFile(folder_.path() / "record.err");
    cutJournalShort();
    const auto library = folder_.path() / "data/Brevanor/Recordings";
    std::filesystem::remove_all(library);
    std::ofstream(library) << "in the library's way";
    type("hello");
    pressRecordShortcut();
    EXPECT_EQ(record.waitFor(10s), 1);
    const std::string said = readFile(folder_.path() / "record.err");
    const auto unsaved = folder_.path() / "state/Brevanor/Unsaved";
    EXPECT_NE(said.find("Could not save “Homeless” in the library: "), std::string::npos) << said;
    EXPECT_NE(said.find("It is kept in " + unsaved.string()), std::string::npos) << said;
    ASSERT_TRUE(std::filesystem::is_directory(unsaved));
    const auto kept = std::filesystem::directory_iterator(unsaved)->path();
    const Recording recording =
        RecordingStore(folder_.path() / "elsewhere", std::make_shared<InMemoryPreferencesStore>()).load(kept);
    EXPECT_EQ(recording.name, "Homeless");
    EXPECT_EQ(keyDownsOf(recording), 5);
}

TEST_F(SharedFileDamageTest, APlayerReleasesEveryKey) {
    // A key pressed and released as fast as playback goes (8 ms apart) for three seconds.
    std::vector<RecordingEvent> events;
    for (std::uint64_t at = 0; at < 3'000'000'000; at += 16'000'000) {
        events.push_back(RecordingEvent::keyDown({at, 0, 0, false}));
        events.push_back(RecordingEvent::keyUp({at + 8'000'000, 0, 0, false}));
    }
    const Recording recording(Uuid::random(), "Typing",
                              std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()), {}, {}, {},
                              std::move(events));
    RecordingStore(folder_.path() / "data/Brevanor/Recordings", std::make_shared<InMemoryPreferencesStore>())
        .add(recording);
    ChildProcess play = start({BREVANOR_CLI_PROGRAM, "play", recording.id.toString(), "--yes"}, "play");
    ASSERT_TRUE(waitUntil(anyKeyHeld)) << "the playback is under way";
    cutJournalShort();
    ASSERT_EQ(play.waitFor(15s), 0) << readFile(folder_.path() / "play.err");
    EXPECT_FALSE(anyKeyHeld());
}

}  // namespace
}  // namespace brevanor
