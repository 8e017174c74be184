#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "core/store/AtomicFileWriter.h"
#include "core/store/LibraryLock.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "tests/store/SampleRecordings.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

constexpr int kTrials = 200;

// Saves the versions in turn, forever, in a child process; tells the parent
// through `ready` when it starts. Never returns.
[[noreturn]] void saveForever(const std::filesystem::path& folder, const std::vector<Recording>& versions, int ready) {
    try {
        RecordingStore store(folder, std::make_shared<InMemoryPreferencesStore>());
        const char byte = 'r';
        if (::write(ready, &byte, 1) != 1) ::_exit(2);
        for (std::size_t next = 1;; ++next) store.save(versions[next % versions.size()]);
    } catch (...) {
        ::_exit(1);
    }
}

// A writer process killed at random moments of saving leaves either a
// previous document or a new one, whole, and nothing that lists as a recording.
TEST(RecordingStoreCrash, KilledWhileSavingLeavesAWholeDocument) {
    TemporaryDirectory folder;
    const auto library = folder.path() / "Recordings";
    RecordingStore store(library, std::make_shared<InMemoryPreferencesStore>());

    // Versions of one recording of different sizes (tens of kilobytes).
    const Recording base = sampleRecording("version", std::chrono::system_clock::now(), 0);
    std::vector<Recording> versions;
    std::vector<std::string> documents;
    for (int k = 0; k < 3; ++k) {
        Recording version = sampleRecording("version " + std::to_string(k), base.createdAt, 30 * (k + 1));
        version.id = base.id;
        documents.push_back(Recording::makeJSONEncoder().encode(version));
        versions.push_back(std::move(version));
    }
    // Kills fall anywhere in the first two saves of the writer, whatever
    // a save costs on this machine and build.
    const auto saveStart = std::chrono::steady_clock::now();
    store.add(versions[0]);
    for (const Recording& version : versions) store.save(version);
    const auto saveMicros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - saveStart).count() /
        static_cast<long>(versions.size());
    store.save(versions[0]);
    const std::string documentName = store.fileURL(base.id).filename();

    std::mt19937 random(20261206);
    std::uniform_int_distribution<long> delayMicros(0, 2 * saveMicros);
    int trialsWithLeftovers = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            saveForever(library, versions, ready[1]);
        }
        ::close(ready[1]);
        char byte = 0;
        const bool started = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(delayMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(started) << "the writer did not start (trial " << trial << ")";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself (trial " << trial << ")";

        // One visible file, holding one of the versions byte for byte.
        std::vector<std::string> visible;
        bool leftover = false;
        for (const std::string& name : fileNames(library)) {
            if (AtomicFileWriter::isTemporaryFileName(name)) {
                leftover = true;
            } else if (name != LibraryLock::fileName) {
                visible.push_back(name);
            }
        }
        ASSERT_EQ(visible, std::vector<std::string>{documentName}) << "trial " << trial;
        const std::string document = readFile(library / documentName);
        ASSERT_NE(std::find(documents.begin(), documents.end(), document), documents.end())
            << "trial " << trial << " left a document of " << document.size() << " bytes";
        const auto listed = store.list().entries;
        ASSERT_EQ(listed.size(), 1u);
        ASSERT_NE(std::find(versions.begin(), versions.end(), *listed[0]), versions.end());
        trialsWithLeftovers += leftover ? 1 : 0;
    }
    // Some kills must have landed in the middle of a write, or the test proved nothing.
    EXPECT_GT(trialsWithLeftovers, 0);
    RecordProperty("interruptedWrites", trialsWithLeftovers);

    // The next save clears what the killed writers left behind.
    store.save(versions[0]);
    EXPECT_EQ(fileNames(library), (std::vector<std::string>{std::string(LibraryLock::fileName), documentName}));
}

}  // namespace
}  // namespace brevanor
