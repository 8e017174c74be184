#include <gtest/gtest.h>

#include "core/model/EventEdits.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "tests/store/SampleRecordings.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

// The recorded events of an edited recording go wherever its document goes.
TEST(EditedRecordingStore, KeepsTheRecordedEventsThroughSaveDuplicateImportAndExport) {
    TemporaryDirectory folder;
    RecordingStore store(folder.path() / "library", std::make_shared<InMemoryPreferencesStore>());
    Recording recording = store.add(sampleRecording("Edited", std::chrono::system_clock::now()));
    EventEdits::deleteRange(recording, 1, 1);
    store.save(recording);
    EXPECT_EQ(store.load(recording.id), recording);

    const RecordingSummary copy = store.duplicate(recording.id);
    EXPECT_EQ(copy.recordedEventCount, recording.eventCount() + 2);
    const Recording loadedCopy = store.load(copy.id);
    EXPECT_EQ(loadedCopy.events, recording.events);
    EXPECT_EQ(loadedCopy.recordedEvents, recording.recordedEvents);

    store.exportRecording(recording, folder.path() / "out.macro", RecordingStore::Overwrite::never);
    const RecordingSummary imported = store.importRecording(folder.path() / "out.macro");
    EXPECT_EQ(store.load(imported.id).recordedEvents, recording.recordedEvents);

    const auto listed = store.listSummaries();
    ASSERT_EQ(listed.entries.size(), 3u);
    for (const auto& summary : listed.entries) EXPECT_EQ(summary->recordedEventCount, recording.eventCount() + 2);
}

}  // namespace
}  // namespace brevanor
