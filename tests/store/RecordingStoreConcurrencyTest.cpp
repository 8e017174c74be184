#include <gtest/gtest.h>

#include <thread>

#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "tests/store/SampleRecordings.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

std::vector<Recording> values(const std::vector<std::shared_ptr<const Recording>>& recordings) {
    std::vector<Recording> result;
    for (const auto& recording : recordings) result.push_back(*recording);
    return result;
}

RecordingStore makeStore(const std::filesystem::path& folder, unsigned threads) {
    RecordingStore::Options options;
    options.listingThreads = threads;
    return RecordingStore(folder, std::make_shared<InMemoryPreferencesStore>(), options);
}

// list() reads and decodes on several threads, each with its own decoder.
TEST(RecordingStoreConcurrency, ListingOnManyThreadsMatchesOneThread) {
    TemporaryDirectory folder;
    RecordingStore parallel = makeStore(folder.path(), 4);
    RecordingStore sequential = makeStore(folder.path(), 1);

    const Date start = std::chrono::sys_days{std::chrono::year{2026} / 3 / 1};
    std::vector<Recording> saved;
    for (int i = 0; i < 40; ++i) {
        saved.push_back(sampleRecording("r" + std::to_string(i), start + std::chrono::minutes(i * 7 % 40), i % 5));
        parallel.add(saved.back());
    }
    writeFile(folder.path() / "broken.json", "{\"schemaVersion\":1,");

    const auto listed = values(parallel.list().entries);
    EXPECT_EQ(listed.size(), saved.size());
    EXPECT_EQ(listed, values(sequential.list().entries));

    // Half of them change; the next listing decodes those again on all threads.
    for (std::size_t i = 0; i < saved.size(); i += 2) parallel.rename(saved[i].id, "renamed " + std::to_string(i));
    const auto relisted = values(parallel.list().entries);
    EXPECT_EQ(relisted, values(makeStore(folder.path(), 1).list().entries));
    EXPECT_NE(relisted, listed);
}

// Stores on several threads (as in several processes) change one recording at
// once: each change reads, changes and writes under the library's lock, so none is lost.
TEST(RecordingStoreConcurrency, ChangesAtOnceAreNeverLost) {
    TemporaryDirectory folder;
    const Uuid id = makeStore(folder.path(), 1).add(sampleRecording("shared", std::chrono::system_clock::now())).id;
    constexpr int kThreads = 4;
    constexpr int kChanges = 25;
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&folder, id, t] {
            RecordingStore store = makeStore(folder.path(), 1);
            for (int i = 0; i < kChanges; ++i) {
                store.modify(id, [&](Recording& recording) {
                    recording.settings.notes += "<" + std::to_string(t) + "." + std::to_string(i) + ">";
                });
            }
        });
    }
    threads.clear();
    const std::string notes = makeStore(folder.path(), 1).load(id).settings.notes;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kChanges; ++i) {
            EXPECT_NE(notes.find("<" + std::to_string(t) + "." + std::to_string(i) + ">"), std::string::npos)
                << "change " << i << " of thread " << t << " was lost";
        }
    }
}

}  // namespace
}  // namespace brevanor
