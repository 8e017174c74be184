#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/control/NewRecording.h"
#include "core/store/IniPreferencesStore.h"
#include "core/store/RecordingStore.h"
#include "tests/store/SampleRecordings.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

RecordingStore::Options storeOptions() { return {AutoNameDateFormat("en_US", "UTC"), AtomicFileWriter(), 1}; }

TEST(NewRecording, OnlyARecordingWithSomethingButPausesIsKeptUnderTheNextAutomaticNameOrTheGivenOne) {
    Recording recording = sampleRecording("r", Date{});
    EXPECT_TRUE(NewRecording::isWorthKeeping(recording));
    recording.events = {RecordingEvent::idleGap({0, 5'000'000'000})};
    EXPECT_FALSE(NewRecording::isWorthKeeping(recording));
    recording.events.clear();
    EXPECT_FALSE(NewRecording::isWorthKeeping(recording));

    TemporaryDirectory folder;
    RecordingStore store(folder.path() / "Recordings",
                         std::make_shared<IniPreferencesStore>(folder.path() / "Brevanor" / "Brevanor.conf"),
                         storeOptions());
    RecordingSettings defaults;
    defaults.speed = 2.0;
    const auto first = NewRecording::prepare(sampleRecording("", Date{}), store, defaults, std::nullopt, Date{});
    EXPECT_EQ(first.recording.name.rfind("Recording 1 – ", 0), 0u) << first.recording.name;
    EXPECT_EQ(first.recording.settings, defaults);
    EXPECT_EQ(first.warning, std::nullopt);
    const auto named = NewRecording::prepare(sampleRecording("", Date{}), store, defaults, "Mine", Date{});
    EXPECT_EQ(named.recording.name, "Mine");
    EXPECT_EQ(NewRecording::prepare(sampleRecording("", Date{}), store, defaults, std::nullopt, Date{})
                  .recording.name.rfind("Recording 2 – ", 0),
              0u)
        << "a given name takes no number";
    // Positions that are no places on a screen are played from the cursor, whatever the defaults say.
    Recording relative = sampleRecording("", Date{});
    relative.environment.relativePositions = true;
    EXPECT_EQ(NewRecording::prepare(relative, store, defaults, "Relative", Date{}).recording.settings.cursorMode,
              CursorMode::relativeToCursor);
}

// Each place is tried in turn, nothing is ever replaced, and the document
// reads as the recording; when no place takes it, the last failure is thrown.
TEST(NewRecording, KeepsARecordingOutsideTheLibraryInTheFirstPlaceThatTakesIt) {
    TemporaryDirectory folder;
    const Recording recording = sampleRecording("Unsaved", Date{});
    const auto blocked = folder.path() / "blocked";
    std::ofstream(blocked) << "a file where a folder should be";
    const auto unsaved = folder.path() / "state" / "Unsaved";

    const auto first = NewRecording::keepOutsideLibrary(recording, {blocked, unsaved});
    EXPECT_EQ(first.parent_path(), unsaved);
    EXPECT_EQ(RecordingStore(folder.path() / "Recordings", std::make_shared<IniPreferencesStore>(folder.path() / "c"))
                  .load(first),
              recording);
    const auto second = NewRecording::keepOutsideLibrary(recording, {unsaved});
    EXPECT_NE(second, first) << "the same recording kept twice takes two files";
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_THROW(NewRecording::keepOutsideLibrary(recording, {blocked}), std::exception);
}

}  // namespace
}  // namespace brevanor
