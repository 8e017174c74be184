#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/model/EventEdits.h"
#include "core/model/RecordingDecodingError.h"
#include "core/model/RecordingDocumentError.h"
#include "core/store/DocumentTooLargeError.h"
#include "core/store/FileError.h"
#include "core/store/LibraryLock.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "tests/store/SampleRecordings.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

using namespace std::chrono;
using ::testing::ElementsAre;
using testing::thrown;
using StoreError = RecordingStore::StoreError;

const Date kMonday = sys_days{2026y / December / 7} + 9h;
const Date kTuesday = sys_days{2026y / December / 8} + 9h;

RecordingStore::Options testOptions() {
    RecordingStore::Options options;
    options.autoNameDateFormat = AutoNameDateFormat("en_US", "UTC");
    return options;
}

std::vector<std::string> names(const std::vector<std::shared_ptr<const Recording>>& recordings) {
    std::vector<std::string> result;
    for (const auto& recording : recordings) result.push_back(recording->name);
    return result;
}

std::vector<std::string> skippedNames(const LibraryListing<Recording>& listing) {
    std::vector<std::string> result;
    for (const SkippedDocument& skipped : listing.skipped) result.push_back(skipped.path.filename());
    std::sort(result.begin(), result.end());
    return result;
}

std::string documentOf(const Recording& recording) { return Recording::makeJSONEncoder().encode(recording); }

class RecordingStoreTest : public ::testing::Test {
protected:
    std::filesystem::path libraryPath() const { return folder_.path() / "Brevanor" / "Recordings"; }

    TemporaryDirectory folder_;
    std::shared_ptr<InMemoryPreferencesStore> preferences_ = std::make_shared<InMemoryPreferencesStore>();
    RecordingStore store_{libraryPath(), preferences_, testOptions()};
};

TEST_F(RecordingStoreTest, CreatesItsFolderForTheUserOnlyAndAgainWhenItIsGone) {
    struct stat info {};
    ASSERT_EQ(::stat(libraryPath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    std::filesystem::remove_all(libraryPath());
    EXPECT_EQ(thrown<FileError>([&] { store_.list(); }), FileError("list", libraryPath(), ENOENT));
    // Saving puts the folder back rather than losing the recording.
    store_.add(sampleRecording("kept", kMonday));
    EXPECT_THAT(names(store_.list().entries), ElementsAre("kept"));
}

TEST_F(RecordingStoreTest, ListsOnlyReadableDocumentsNewestFirst) {
    const Recording older = sampleRecording("older", kMonday);
    const Recording newer = sampleRecording("newer", kTuesday);
    store_.add(older);
    store_.add(newer);

    const Recording stray = sampleRecording("stray", kMonday);
    const std::string valid = documentOf(stray);
    const auto library = libraryPath();
    writeFile(library / ".hidden.json", valid);
    writeFile(library / "upper.JSON", valid);
    writeFile(library / "notes.txt", valid);
    writeFile(library / ".brevanor-save-a1b2c3", valid);
    std::filesystem::create_directory(library / "folder.json");
    writeFile(library / "folder.json" / "inner.json", valid);
    writeFile(library / "truncated.json", valid.substr(0, valid.size() / 2));
    writeFile(library / "empty.json", "");
    std::string newerVersion = valid;
    newerVersion.replace(newerVersion.find("\"schemaVersion\":1"), 17, "\"schemaVersion\":2");
    writeFile(library / "future.json", newerVersion);
    std::filesystem::create_symlink(library / "missing.json", library / "dangling.json");
    ASSERT_EQ(::mkfifo((library / "pipe.json").c_str(), 0600), 0);
    // Larger than the limit, without taking the disk space.
    writeFile(library / "huge.json", "{");
    ASSERT_EQ(::truncate((library / "huge.json").c_str(), static_cast<off_t>(RecordingStore::maxDocumentBytes + 1)), 0);

    const auto listing = store_.list();
    EXPECT_THAT(names(listing.entries), ElementsAre("newer", "older"));
    EXPECT_THAT(skippedNames(listing), ElementsAre("empty.json", "future.json", "huge.json", "truncated.json"));
    EXPECT_THAT(listing.skipped, ::testing::Contains(SkippedDocument{library / "future.json",
                                                                     "it is not a recording this version of Brevanor "
                                                                     "understands (unsupported schema version 2)"}));
    // Passed over, and left in the folder untouched.
    EXPECT_EQ(readFile(library / "truncated.json"), valid.substr(0, valid.size() / 2));
}

// A recording is the document named by its id: one copied in under another
// name is left out and never written to, nor written beside.
TEST_F(RecordingStoreTest, ADocumentCountsOnlyUnderItsOwnId) {
    const Recording misnamed = sampleRecording("copied in by hand", kMonday);
    writeFile(libraryPath() / "not-its-id.json", documentOf(misnamed));
    const Recording other = sampleRecording("under another id", kMonday);
    const Uuid takenName = Uuid::random();
    writeFile(store_.fileURL(takenName), documentOf(other));
    const Recording elsewhere = sampleRecording("linked", kTuesday);
    writeFile(folder_.path() / "outside.json", documentOf(elsewhere));
    std::filesystem::create_symlink(folder_.path() / "outside.json", store_.fileURL(elsewhere.id));

    const auto listing = store_.list();
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(*listing.entries[0], elsewhere);
    EXPECT_THAT(skippedNames(listing), ElementsAre(takenName.toString() + ".json", "not-its-id.json"));
    for (const SkippedDocument& skipped : listing.skipped) {
        EXPECT_THAT(skipped.reason, ::testing::HasSubstr("under another file name; import the file"));
    }

    EXPECT_THROW(store_.load(misnamed.id), RecordingStore::StoreError);
    EXPECT_THROW(store_.load(takenName), RecordingDocumentError);
    EXPECT_THROW(store_.modify(misnamed.id, [](Recording& r) { r.applyAutomaticTrim(); }), RecordingStore::StoreError);
    EXPECT_THROW(store_.save(misnamed), RecordingStore::StoreError);
    EXPECT_EQ(readFile(libraryPath() / "not-its-id.json"), documentOf(misnamed));
    EXPECT_FALSE(std::filesystem::exists(store_.fileURL(misnamed.id)));
    // Importing it gives it its proper name.
    EXPECT_EQ(store_.importRecording(libraryPath() / "not-its-id.json"), RecordingSummary::of(misnamed));
    EXPECT_EQ(store_.list().entries.size(), 2u);
}

TEST_F(RecordingStoreTest, ListingSeesEveryChangeOfTheFolder) {
    Recording first = sampleRecording("first", kMonday);
    store_.add(first);
    EXPECT_THAT(names(store_.list().entries), ElementsAre("first"));

    // Saves in quick succession with documents of the same size.
    for (const char* name : {"abc", "abd", "abe", "abf"}) {
        first.name = name;
        store_.save(first);
        EXPECT_THAT(names(store_.list().entries), ElementsAre(name));
    }

    // Changed in place by another program: once with another size, once with
    // the same size and a later modification time.
    const auto path = store_.fileURL(first.id);
    first.name = "longer name";
    writeFile(path, documentOf(first));
    EXPECT_THAT(names(store_.list().entries), ElementsAre("longer name"));
    first.name = "LONGER NAME";
    writeFile(path, documentOf(first));
    const timespec later[2] = {{0, UTIME_OMIT}, {2'000'000'000, 123}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_THAT(names(store_.list().entries), ElementsAre("LONGER NAME"));

    // A file that could not be decoded is read again once it changes.
    const Recording second = sampleRecording("second", kTuesday);
    writeFile(store_.fileURL(second.id), "{");
    EXPECT_THAT(names(store_.list().entries), ElementsAre("LONGER NAME"));
    writeFile(store_.fileURL(second.id), documentOf(second));
    EXPECT_THAT(names(store_.list().entries), ElementsAre("second", "LONGER NAME"));

    std::filesystem::remove(path);
    EXPECT_THAT(names(store_.list().entries), ElementsAre("second"));
}

TEST_F(RecordingStoreTest, SaveOntoAFullDiskKeepsThePreviousDocument) {
    Recording recording = sampleRecording("before", kMonday);
    store_.add(recording);

    // Short writes before the disk fills: AtomicFileWriterTest.FullDiskFailsAndKeepsTheOldFile.
    RecordingStore::Options options = testOptions();
    options.writer = AtomicFileWriter([](int, const void*, std::size_t) -> std::ptrdiff_t {
        errno = ENOSPC;
        return -1;
    });
    RecordingStore fullDisk(libraryPath(), preferences_, options);
    recording.name = "after";
    EXPECT_THROW(fullDisk.save(recording), FileError);
    EXPECT_THROW(fullDisk.rename(recording.id, "renamed"), FileError);
    EXPECT_THROW(fullDisk.duplicate(recording.id), FileError);

    EXPECT_EQ(store_.load(recording.id).name, "before");
    EXPECT_THAT(fileNames(libraryPath()), ElementsAre(LibraryLock::fileName, recording.id.toString() + ".json"));
}

TEST_F(RecordingStoreTest, OperationsOnAMissingIdentifierFailWithNotFound) {
    const Uuid missing = Uuid::random();
    const auto notFound = StoreError::notFound(missing);
    const auto expectNotFound = [&](const auto& operation) {
        const auto error = thrown<StoreError>(operation);
        EXPECT_EQ(error, notFound);
        EXPECT_EQ(error ? error->id() : std::nullopt, missing);
    };
    expectNotFound([&] { store_.load(missing); });
    expectNotFound([&] { store_.deleteRecording(missing); });
    expectNotFound([&] { store_.rename(missing, "name"); });
    expectNotFound([&] { store_.modify(missing, [](Recording&) {}); });
    expectNotFound([&] { store_.duplicate(missing); });
    // Saving is for recordings the library holds: an edited copy of one deleted meanwhile stays deleted.
    Recording edited = sampleRecording("typed password", kMonday);
    edited.id = missing;
    expectNotFound([&] { store_.save(edited); });
    EXPECT_THAT(fileNames(libraryPath()), ElementsAre(LibraryLock::fileName));
    std::filesystem::create_symlink(libraryPath() / "gone.json", store_.fileURL(missing));
    expectNotFound([&] { store_.load(missing); });
    // A folder in its place is something: reading it fails naming it. Loading by id reads as loading
    // the file does: NoDocumentLargerThanTheLimitIsReadOrWritten.
    const auto path = store_.fileURL(missing);
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(thrown<FileError>([&] { store_.load(missing); }), FileError("read", path, EISDIR));
}

TEST_F(RecordingStoreTest, RenameKeepsTheNameExactlyAsGiven) {
    const Recording recording = sampleRecording("before", kMonday);
    store_.add(recording);
    for (const std::string name : {"", "  Ünïcode – “quoted” / with slash  "}) {
        const Recording renamed = store_.rename(recording.id, name);
        EXPECT_EQ(renamed.name, name);
        Recording expected = recording;
        expected.name = name;
        EXPECT_EQ(store_.load(recording.id), expected);
    }
    EXPECT_EQ(store_.list().entries.size(), 1u);
}

TEST_F(RecordingStoreTest, DuplicateMakesANewRecordingCreatedNow) {
    Recording original = sampleRecording("Demo", kMonday);
    original.trim = {1, 2};
    EventEdits::deleteRange(original, 1, 1);  // the recorded events go with the copy
    store_.add(original);

    const Date before = floor<seconds>(system_clock::now());
    const RecordingSummary summary = store_.duplicate(original.id);
    const Date after = system_clock::now();
    const Recording copy = store_.load(summary.id);
    EXPECT_EQ(RecordingSummary::of(copy), summary);
    EXPECT_NE(copy.id, original.id);
    EXPECT_TRUE(copy.createdAt >= before && copy.createdAt <= after);
    Recording expected = original;  // but for its id, name and date
    expected.id = copy.id;
    expected.name = "Demo copy";
    expected.createdAt = copy.createdAt;
    EXPECT_EQ(copy, expected);
    // Written event by event, the copy is the document its recording makes.
    EXPECT_EQ(readFile(store_.fileURL(copy.id)), documentOf(copy));

    EXPECT_EQ(store_.duplicate(copy.id).name, "Demo copy copy");
    EXPECT_EQ(store_.load(original.id), original);
    EXPECT_EQ(store_.list().entries.size(), 3u);
}

TEST_F(RecordingStoreTest, ImportNeverOverwritesALibraryDocument) {
    Recording recording = sampleRecording("Shared", kMonday);
    EventEdits::deleteRange(recording, 1, 1);  // the recorded events go through export and import
    const auto exported = folder_.path() / "shared.macro";
    store_.exportRecording(recording, exported, RecordingStore::Overwrite::never);
    const std::string exportedBytes = readFile(exported);

    const RecordingSummary first = store_.importRecording(exported);
    // Editors on some systems begin UTF-8 files with a byte order mark.
    writeFile(exported, "\xEF\xBB\xBF" + exportedBytes);
    const RecordingSummary second = store_.importRecording(exported);
    EXPECT_EQ(first, RecordingSummary::of(recording));
    EXPECT_NE(second.id, first.id);
    EXPECT_EQ(second.name, "Shared");
    EXPECT_EQ(store_.load(first.id), recording);
    Recording secondCopy = recording;
    secondCopy.id = second.id;
    EXPECT_EQ(store_.load(second.id), secondCopy);
    EXPECT_EQ(readFile(exported), "\xEF\xBB\xBF" + exportedBytes);

    std::string future = exportedBytes;
    future.replace(future.find("\"schemaVersion\":1"), 17, "\"schemaVersion\":2");
    writeFile(exported, future);
    EXPECT_THROW(store_.importRecording(exported), RecordingDecodingError);
    EXPECT_EQ(store_.list().entries.size(), 2u);
}

// Another process takes the identifier while the import writes its document.
TEST_F(RecordingStoreTest, ImportNeverOverwritesADocumentCreatedMeanwhile) {
    const Recording incoming = sampleRecording("incoming", kMonday);
    const auto file = folder_.path() / "incoming.macro";
    writeFile(file, documentOf(incoming));
    Recording other = sampleRecording("other", kTuesday);
    other.id = incoming.id;
    const auto target = store_.fileURL(incoming.id);
    const std::string otherDocument = documentOf(other);

    RecordingStore::Options options = testOptions();
    auto raced = std::make_shared<bool>(false);
    options.writer = AtomicFileWriter([=](int fd, const void* bytes, std::size_t count) -> std::ptrdiff_t {
        if (!std::exchange(*raced, true)) writeFile(target, otherDocument);
        return ::write(fd, bytes, count);
    });
    const RecordingSummary imported = RecordingStore(libraryPath(), preferences_, options).importRecording(file);
    EXPECT_TRUE(*raced);
    EXPECT_NE(imported.id, incoming.id);
    EXPECT_EQ(imported.name, "incoming");
    EXPECT_EQ(store_.load(incoming.id), other);
    EXPECT_EQ(RecordingSummary::of(store_.load(imported.id)), imported);
}

// One limit for every document read or written: whatever the library holds loads
// again, and a write that would pass the limit leaves nothing behind.
TEST_F(RecordingStoreTest, NoDocumentLargerThanTheLimitIsReadOrWritten) {
    const Recording recording = sampleRecording("Demo", kMonday);
    const std::string document = documentOf(recording);
    RecordingStore::Options options = testOptions();
    options.maxDocumentBytes = document.size();
    RecordingStore store(libraryPath(), preferences_, options);
    const DocumentTooLargeError writeRefusal(DocumentTooLargeError::Case::documentTooLarge, document.size());
    const auto refusal = [](const auto& operation) { return thrown<DocumentTooLargeError>(operation); };
    const auto documents = [&] {  // the library's lock appears with the first change
        std::vector<std::string> names = fileNames(libraryPath());
        std::erase(names, std::string(LibraryLock::fileName));
        return names;
    };

    // Exactly at the limit: stored, and it loads again.
    store.add(recording);
    EXPECT_EQ(store.load(recording.id), recording);
    const auto stored = documents();

    // One byte more, by any way in: refused, and the library is as it was.
    Recording longer = recording;
    longer.name = "Demo!";
    EXPECT_EQ(refusal([&] { store.rename(recording.id, "Demo!"); }), writeRefusal);
    EXPECT_EQ(refusal([&] { store.duplicate(recording.id); }), writeRefusal);
    EXPECT_EQ(refusal([&] { store.exportRecording(longer, folder_.path() / "out.macro", {}); }), writeRefusal);
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "out.macro"));
    // A source within the limit whose document, as the library writes it, is not: the longer
    // recording with a click that lacks the count the writer always writes.
    std::string lean = documentOf(longer);
    lean.erase(lean.find("\"clickCount\":1,"), 15);
    writeFile(folder_.path() / "lean.json", lean);
    EXPECT_EQ(refusal([&] { store.importRecording(folder_.path() / "lean.json"); }), writeRefusal);
    EXPECT_EQ(documents(), stored);
    EXPECT_EQ(store.load(recording.id), recording);
    EXPECT_STREQ(writeRefusal.what(), ("its document would be larger than " + std::to_string(document.size()) +
                                       " bytes, the most a recording document may hold")
                                          .c_str());

    // A file beyond the limit is not read, whichever way it is reached.
    writeFile(folder_.path() / "long.json", document + " ");
    const DocumentTooLargeError readRefusal(DocumentTooLargeError::Case::fileTooLarge, document.size());
    EXPECT_EQ(refusal([&] { store.load(folder_.path() / "long.json"); }), readRefusal);
    EXPECT_EQ(refusal([&] { store.openDocument(folder_.path() / "long.json"); }), readRefusal);
    EXPECT_EQ(refusal([&] { store.importRecording(folder_.path() / "long.json"); }), readRefusal);
    std::filesystem::rename(folder_.path() / "long.json", libraryPath() / "long.json");
    const auto listing = store.listSummaries();
    ASSERT_EQ(listing.skipped.size(), 1u);
    EXPECT_EQ(listing.skipped[0].reason, readRefusal.what());
}

// Export writes regular files only: never through a link, never over a pipe,
// folder or device, over a file only when allowed to, and never a recording with sensitive input.
TEST_F(RecordingStoreTest, ExportReplacesOnlyARegularFileAndOnlyWhenAllowed) {
    using Overwrite = RecordingStore::Overwrite;
    const Recording recording = sampleRecording("Export", kMonday);
    const auto file = folder_.path() / "file.macro";
    Recording sensitive = recording;
    sensitive.settings.containsSensitiveInput = true;
    EXPECT_EQ(thrown<StoreError>([&] { store_.exportRecording(sensitive, file, Overwrite::regularFile); }),
              StoreError::exportDisabledForSensitiveRecording());
    EXPECT_FALSE(std::filesystem::exists(file));
    writeFile(file, "an older file");
    EXPECT_EQ(thrown<StoreError>([&] { store_.exportRecording(recording, file, Overwrite::never); }),
              StoreError::exportTargetExists(file));
    EXPECT_EQ(readFile(file), "an older file");
    store_.exportRecording(recording, file, Overwrite::regularFile);
    EXPECT_EQ(store_.load(file), recording);

    const auto link = folder_.path() / "link.macro";
    std::filesystem::create_symlink(file, link);
    const auto pipe = folder_.path() / "pipe.macro";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto directory = folder_.path() / "folder.macro";
    std::filesystem::create_directory(directory);
    for (const auto& target : {link, pipe, directory}) {
        EXPECT_EQ(thrown<StoreError>([&] { store_.exportRecording(recording, target, Overwrite::regularFile); }),
                  StoreError::exportTargetNotRegularFile(target));
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_EQ(store_.load(file), recording);
    EXPECT_THAT(fileNames(folder_.path()),
                ElementsAre("Brevanor", "file.macro", "folder.macro", "link.macro", "pipe.macro"));
}

TEST_F(RecordingStoreTest, AutomaticNamesCountUpInThePreferences) {
    const Date date = sys_days{2026y / December / 6} + 16h + 43min + 20s;
    EXPECT_EQ(store_.nextAutoName(date), "Recording 1 – Dec 6, 16:43");
    // The application's preferences share the counter: AutoNameCounterConcurrency takes every number once.
    preferences_->setInteger("com.brevanor.recordingCounter", 41);
    EXPECT_EQ(store_.nextAutoName(date), "Recording 42 – Dec 6, 16:43");
    EXPECT_EQ(preferences_->getInteger(RecordingStore::recordingCounterKey), 42);

    // A damaged counter neither goes negative nor overflows.
    preferences_->setInteger(RecordingStore::recordingCounterKey, -5);
    EXPECT_EQ(store_.nextAutoName(date), "Recording 1 – Dec 6, 16:43");
    preferences_->setInteger(RecordingStore::recordingCounterKey, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(store_.nextAutoName(date), "Recording 9223372036854775807 – Dec 6, 16:43");
}

}  // namespace
}  // namespace brevanor
