#include <gtest/gtest.h>

#include "core/store/InMemoryPreferencesStore.h"
#include "core/store/RecordingStore.h"
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
        parallel.save(saved.back());
    }
    writeFile(folder.path() / "broken.json", "{\"schemaVersion\":1,");

    const auto listed = values(parallel.list());
    EXPECT_EQ(listed.size(), saved.size());
    EXPECT_EQ(listed, values(sequential.list()));

    // Half of them change; the next listing decodes those again on all threads.
    for (std::size_t i = 0; i < saved.size(); i += 2) parallel.rename(saved[i].id, "renamed " + std::to_string(i));
    const auto relisted = values(parallel.list());
    EXPECT_EQ(relisted, values(makeStore(folder.path(), 1).list()));
    EXPECT_NE(relisted, listed);
}

}  // namespace
}  // namespace brevanor
