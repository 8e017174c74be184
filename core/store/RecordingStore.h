#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Date.h"
#include "core/model/Recording.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"
#include "core/model/RecordingSummary.h"
#include "core/model/Uuid.h"
#include "core/store/AtomicFileWriter.h"
#include "core/store/AutoNameDateFormat.h"
#include "core/store/LibraryListing.h"
#include "core/store/PreferencesStore.h"
#include "core/store/RecordingListing.h"
#include "core/store/StreamedDocument.h"

namespace brevanor {

class LibraryLock;

// The user's library: one document per recording in one folder, named by the
// recording's identifier (fileURL()); a document under any other name is no
// recording of the library, and listings say so. The folder is the only
// truth: every operation goes to it. Several stores, in this process or others (the application and every
// brevanor-cli), may work on one folder at once: new documents are created
// without ever replacing one, and each change of an existing recording reads,
// checks and writes under the library's lock, so that no change is lost and a
// deleted recording never comes back. Failures are thrown: StoreError,
// FileError for the file system, and the document errors of the reader and
// writer. One store is used from one thread at a time.
class RecordingStore {
public:
    class StoreError;

    // What may differ from the user's setup: tests fix the locale and time
    // zone of automatic names and play full disks through the writer.
    struct Options {
        AutoNameDateFormat autoNameDateFormat;
        AtomicFileWriter writer;
        unsigned listingThreads = 0;  // documents read at once by a listing; 0: one per processor core
        std::uintmax_t maxDocumentBytes = RecordingStore::maxDocumentBytes;  // tests lower the limit
    };

    static constexpr std::string_view fileExtension = "json";
    static constexpr std::string_view exportExtension = "macro";
    // Where the counter of automatic names lives in the preferences.
    static constexpr std::string_view recordingCounterKey = "com.brevanor.recordingCounter";
    // The one limit of every recording document, counted in its bytes as they
    // are in the file: no larger file is read (a hostile or broken one must not
    // exhaust memory) and no larger document is written, whether saved,
    // duplicated, imported or exported, so that whatever the library accepts
    // loads again. Both throw DocumentTooLargeError, which says which it was.
    static constexpr std::uintmax_t maxDocumentBytes = 256 * 1024 * 1024;

    // The folder where the application keeps the library: "Brevanor/Recordings"
    // in the user's application data folder. Throws FileError without a home folder.
    static std::filesystem::path defaultDirectory();

    // Creates `directory` with its missing parents (mode 0700 for the folders
    // it creates). Throws FileError when that fails.
    RecordingStore(std::filesystem::path directory, std::shared_ptr<PreferencesStore> defaults);
    RecordingStore(std::filesystem::path directory, std::shared_ptr<PreferencesStore> defaults, Options options);

    const std::filesystem::path& directory() const { return directory_; }

    // Where the document of `id` lives (whether or not it exists).
    std::filesystem::path fileURL(const Uuid& id) const;

    // Every recording in the folder, newest first, and the document files
    // passed over with the reason: those that cannot be read or decoded, or are
    // not named by their recording's id. Recordings are shared, immutable
    // snapshots: an unchanged file is not decoded again. Throws FileError only
    // when the folder cannot be listed.
    LibraryListing<Recording> list();
    // The same as summaries, for listings that show no events: memory for one
    // document at a time rather than for every event of the library.
    LibraryListing<RecordingSummary> listSummaries();

    // Reads and decodes the document at any location.
    Recording load(const std::filesystem::path& from);
    // Throws StoreError::notFound(id) when the library has no document for
    // `id`, RecordingDocumentError when its file holds another recording.
    Recording load(const Uuid& id);
    // The same, read for its summary and a walk through its events, without holding them all.
    StreamedDocument openDocument(const std::filesystem::path& from) const;
    StreamedDocument openDocument(const Uuid& id) const;

    // Stores a recording that is new to the library and answers it as stored:
    // under its own identifier, or under a new one when that is taken.
    Recording add(Recording recording);

    // Replaces the document of a recording the library holds with this version
    // of it, atomically: on failure the previous document is left intact.
    // Throws StoreError::notFound when the library no longer has it (another
    // process deleted it): saving never brings a deleted recording back.
    void save(const Recording& recording);

    // Reads the recording, lets `change` change it (anything but its
    // identifier), writes it back and answers it, all under the library's
    // lock, so no other change comes in between. `change` must not use the
    // store. Throws StoreError::notFound(id) when there is none.
    Recording modify(const Uuid& id, const std::function<void(Recording&)>& change);

    // Removes the document for good. Throws StoreError::notFound(id) when there is none.
    void deleteRecording(const Uuid& id);

    // Sets the name exactly as given (an empty one too) and answers the recording.
    Recording rename(const Uuid& id, std::string name);

    // Saves a copy under a new identifier, named "<name> copy" and created
    // now (to the whole second, as the document keeps it), and answers its
    // summary. The events are copied without ever being held all at once.
    RecordingSummary duplicate(const Uuid& id);

    // Reads the document at `from` and adds it to the library, under a new
    // identifier when its own is taken, and answers its summary; the file at
    // `from` stays as it is. The events go from one file to the other without
    // ever being held all at once.
    RecordingSummary importRecording(const std::filesystem::path& from);

    // What an export may do to a file that is already at its target.
    enum class Overwrite { never, regularFile };

    // Writes the document atomically to `to`, never through a link there nor
    // over anything but a regular file (StoreError::exportTargetNotRegularFile),
    // and over a regular file only with Overwrite::regularFile (else
    // StoreError::exportTargetExists). Throws
    // StoreError::exportDisabledForSensitiveRecording, writing nothing, for a
    // recording marked as holding sensitive input.
    void exportRecording(const Recording& recording, const std::filesystem::path& to, Overwrite overwrite);

    // "Recording <n> – <date>" with the next number of the counter in the
    // preferences, which every call advances, used or not.
    std::string nextAutoName(Date date);
    // "Recording <number> – <date>", the counter left alone.
    std::string autoName(std::int64_t number, Date date) const;
    // The preferences that hold the counter.
    const PreferencesStore& preferences() const { return *defaults_; }

private:
    std::string encode(const Recording& recording) const;
    // Creates the document of `summary` with the events of `document`, as
    // create() does (the identifier in `summary` may change).
    void createFrom(RecordingSummary& summary, StreamedDocument& document);
    // The library's lock, taken to change `id`: StoreError::notFound(id) when the folder is gone.
    LibraryLock lockFor(const Uuid& id) const;
    // Creates the document of a new recording under `id`, or under a new
    // identifier (set in `id`) when that is taken; `produce` writes the
    // document for `id` as it stands when called.
    void create(Uuid& id, const AtomicFileWriter::Producer& produce);
    // Writes the document of a recording the library holds; the caller holds the library's lock.
    void replaceDocument(const Recording& recording, std::string_view bytes);
    // Drops what the listings keep of the file at `path`, which this store is about to change.
    void forget(const std::filesystem::path& path);

    std::filesystem::path directory_;
    std::shared_ptr<PreferencesStore> defaults_;
    RecordingJSONEncoder encoder_;
    RecordingJSONDecoder decoder_;
    Options options_;
    RecordingListing<Recording> listing_;
    RecordingListing<RecordingSummary> summaryListing_;
};

// The store's own failures; they compare by case and identifier.
class RecordingStore::StoreError : public std::runtime_error {
public:
    enum class Case { notFound, exportDisabledForSensitiveRecording, exportTargetExists, exportTargetNotRegularFile };

    static StoreError notFound(const Uuid& id);
    static StoreError exportDisabledForSensitiveRecording();
    static StoreError exportTargetExists(const std::filesystem::path& target);
    static StoreError exportTargetNotRegularFile(const std::filesystem::path& target);

    Case errorCase() const { return case_; }
    // The identifier asked for, with notFound.
    const std::optional<Uuid>& id() const { return id_; }
    // The file an export was refused, with the two export target cases.
    const std::optional<std::filesystem::path>& target() const { return target_; }

    friend bool operator==(const StoreError& a, const StoreError& b) {
        return a.case_ == b.case_ && a.id_ == b.id_ && a.target_ == b.target_;
    }

private:
    StoreError(Case errorCase, std::optional<Uuid> id, std::optional<std::filesystem::path> target,
               const std::string& message);

    Case case_;
    std::optional<Uuid> id_;
    std::optional<std::filesystem::path> target_;
};

}  // namespace brevanor
