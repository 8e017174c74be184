#include "core/store/RecordingStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/text/Localized.h"
#include "core/model/RecordingDocumentError.h"
#include "core/store/DocumentFile.h"
#include "core/store/DocumentTooLargeError.h"
#include "core/store/FileError.h"
#include "core/store/LibraryLock.h"
#include "core/store/PrivateFolder.h"
#include "core/store/UserDataDirectory.h"

namespace brevanor {

namespace {

// Whether nothing at all is at `path` (a dangling link counts as nothing). A
// folder that cannot be searched does not count: reading will say why.
bool nothingAt(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// A library file must hold the recording it is named by.
void checkHolds(const Uuid& id, const Uuid& held) {
    if (held != id) {
        throw RecordingDocumentError("id", "the file of " + id.toString() + " holds the recording " + held.toString());
    }
}

// `format` with its first `placeholder` replaced by `value`.
std::string substitute(std::string format, std::string_view placeholder, std::string_view value) {
    if (const auto at = format.find(placeholder); at != std::string::npos)
        format.replace(at, placeholder.size(), value);
    return format;
}

}  // namespace

std::filesystem::path RecordingStore::defaultDirectory() { return userDataDirectory() / "Brevanor" / "Recordings"; }

RecordingStore::RecordingStore(std::filesystem::path directory, std::shared_ptr<PreferencesStore> defaults)
    : RecordingStore(std::move(directory), std::move(defaults), Options{}) {}

RecordingStore::RecordingStore(std::filesystem::path directory, std::shared_ptr<PreferencesStore> defaults,
                               Options options)
    : directory_(std::move(directory)),
      defaults_(std::move(defaults)),
      encoder_(Recording::makeJSONEncoder()),
      decoder_(Recording::makeJSONDecoder()),
      options_(std::move(options)),
      listing_(options_.maxDocumentBytes, options_.listingThreads),
      summaryListing_(options_.maxDocumentBytes, options_.listingThreads) {
    createPrivateFolder(directory_);
}

std::filesystem::path RecordingStore::fileURL(const Uuid& id) const {
    return directory_ / (id.toString() + "." + std::string(fileExtension));
}

LibraryListing<Recording> RecordingStore::list() {
    return listing_.entries(listDocumentFiles(directory_, fileExtension));
}

LibraryListing<RecordingSummary> RecordingStore::listSummaries() {
    return summaryListing_.entries(listDocumentFiles(directory_, fileExtension));
}

Recording RecordingStore::load(const std::filesystem::path& from) {
    DocumentBytes bytes;
    readDocumentFile(from, options_.maxDocumentBytes, bytes);
    return decoder_.decode(bytes);
}

Recording RecordingStore::load(const Uuid& id) {
    const std::filesystem::path path = fileURL(id);
    if (nothingAt(path)) throw StoreError::notFound(id);
    Recording recording = load(path);
    checkHolds(id, recording.id);
    return recording;
}

StreamedDocument RecordingStore::openDocument(const std::filesystem::path& from) const {
    return StreamedDocument(from, options_.maxDocumentBytes);
}

StreamedDocument RecordingStore::openDocument(const Uuid& id) const {
    const std::filesystem::path path = fileURL(id);
    if (nothingAt(path)) throw StoreError::notFound(id);
    StreamedDocument document = openDocument(path);
    checkHolds(id, document.summary().id);
    return document;
}

Recording RecordingStore::add(Recording recording) {
    create(recording.id, [&](const AtomicFileWriter::Output& output) { output(encode(recording)); });
    return recording;
}

void RecordingStore::save(const Recording& recording) {
    const std::string bytes = encode(recording);
    const LibraryLock lock = lockFor(recording.id);
    if (nothingAt(fileURL(recording.id))) throw StoreError::notFound(recording.id);
    replaceDocument(recording, bytes);
}

Recording RecordingStore::modify(const Uuid& id, const std::function<void(Recording&)>& change) {
    const LibraryLock lock = lockFor(id);
    Recording recording = load(id);
    change(recording);
    recording.id = id;
    replaceDocument(recording, encode(recording));
    return recording;
}

void RecordingStore::deleteRecording(const Uuid& id) {
    const std::filesystem::path path = fileURL(id);
    const LibraryLock lock = lockFor(id);
    if (nothingAt(path)) throw StoreError::notFound(id);
    forget(path);
    if (::unlink(path.c_str()) != 0) throw FileError("delete", path, errno);
}

Recording RecordingStore::rename(const Uuid& id, std::string name) {
    return modify(id, [&](Recording& recording) { recording.name = std::move(name); });
}

RecordingSummary RecordingStore::duplicate(const Uuid& id) {
    StreamedDocument original = openDocument(id);
    RecordingSummary copy = original.summary();
    copy.id = Uuid::random();
    copy.name = substitute(tr("%@ copy"), "%@", copy.name);
    copy.createdAt = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    createFrom(copy, original);
    return copy;
}

RecordingSummary RecordingStore::importRecording(const std::filesystem::path& from) {
    StreamedDocument source = openDocument(from);
    RecordingSummary imported = source.summary();
    createFrom(imported, source);
    return imported;
}

void RecordingStore::exportRecording(const Recording& recording, const std::filesystem::path& to, Overwrite overwrite) {
    if (recording.settings.containsSensitiveInput) throw StoreError::exportDisabledForSensitiveRecording();
    const std::string bytes = encode(recording);
    forget(to);
    // A link, pipe or device there is never written through nor replaced: only regular files are ours to write.
    struct stat info {};
    if (::lstat(to.c_str(), &info) != 0) {
        if (errno != ENOENT) throw FileError("export to", to, errno);
        // Nothing there: created in one step, so that nothing appearing meanwhile is replaced.
        if (!options_.writer.create(to, bytes)) throw StoreError::exportTargetExists(to);
        return;
    }
    if (!S_ISREG(info.st_mode)) throw StoreError::exportTargetNotRegularFile(to);
    if (overwrite == Overwrite::never) throw StoreError::exportTargetExists(to);
    options_.writer.write(to, bytes);
}

std::string RecordingStore::nextAutoName(Date date) {
    // One step for every process, so that no two recordings get the same number.
    return autoName(defaults_->increment(recordingCounterKey), date);
}

std::string RecordingStore::autoName(std::int64_t number, Date date) const {
    return substitute(substitute(tr("Recording %lld – %@"), "%lld", std::to_string(number)), "%@",
                      options_.autoNameDateFormat.format(date));
}

LibraryLock RecordingStore::lockFor(const Uuid& id) const {
    try {
        return LibraryLock(directory_);
    } catch (const FileError& error) {
        // Without its folder the library holds no recording at all.
        if (error.errorNumber() == ENOENT || error.errorNumber() == ENOTDIR) throw StoreError::notFound(id);
        throw;
    }
}

void RecordingStore::create(Uuid& id, const AtomicFileWriter::Producer& produce) {
    // The folder may have been removed since the store was made; the recording must not be lost for that.
    createPrivateFolder(directory_);
    AtomicFileWriter::removeAbandonedTemporaryFiles(directory_);
    for (;; id = Uuid::random()) {
        const std::filesystem::path path = fileURL(id);
        // Checked first only to spare writing a document in vain; creating is what decides.
        if (!nothingAt(path)) continue;
        forget(path);
        if (options_.writer.create(path, produce)) return;
    }
}

void RecordingStore::replaceDocument(const Recording& recording, std::string_view bytes) {
    AtomicFileWriter::removeAbandonedTemporaryFiles(directory_);
    const std::filesystem::path path = fileURL(recording.id);
    forget(path);
    options_.writer.write(path, bytes);
}

void RecordingStore::forget(const std::filesystem::path& path) {
    listing_.forget(path);
    summaryListing_.forget(path);
}

std::string RecordingStore::encode(const Recording& recording) const {
    std::string bytes = encoder_.encode(recording);
    if (bytes.size() > options_.maxDocumentBytes) {
        throw DocumentTooLargeError(DocumentTooLargeError::Case::documentTooLarge, options_.maxDocumentBytes);
    }
    return bytes;
}

void RecordingStore::createFrom(RecordingSummary& summary, StreamedDocument& document) {
    // The events go from the source's bytes to the new file one at a time: a long recording is never
    // held in memory as events, nor as a second document.
    const RecordingJSONEncoder::EventSource events = [&](const auto& visit) { document.forEachEvent(visit); };
    const RecordingJSONEncoder::EventSource recordedEvents = [&](const auto& visit) {
        document.forEachRecordedEvent(visit);
    };
    create(summary.id, [&](const AtomicFileWriter::Output& output) {
        std::uintmax_t written = 0;
        encoder_.encode(
            summary, events,
            [&](std::string_view piece) {
                written += piece.size();
                if (written > options_.maxDocumentBytes) {
                    throw DocumentTooLargeError(DocumentTooLargeError::Case::documentTooLarge,
                                                options_.maxDocumentBytes);
                }
                output(piece);
            },
            recordedEvents);
    });
}

RecordingStore::StoreError RecordingStore::StoreError::notFound(const Uuid& id) {
    return StoreError(Case::notFound, id, std::nullopt, "no recording with the identifier " + id.toString());
}

RecordingStore::StoreError RecordingStore::StoreError::exportDisabledForSensitiveRecording() {
    return StoreError(Case::exportDisabledForSensitiveRecording, std::nullopt, std::nullopt,
                      "a recording marked as holding sensitive input cannot be exported");
}

RecordingStore::StoreError RecordingStore::StoreError::exportTargetExists(const std::filesystem::path& target) {
    return StoreError(Case::exportTargetExists, std::nullopt, target, "\"" + target.string() + "\" already exists");
}

RecordingStore::StoreError RecordingStore::StoreError::exportTargetNotRegularFile(const std::filesystem::path& target) {
    return StoreError(Case::exportTargetNotRegularFile, std::nullopt, target,
                      "\"" + target.string() + "\" is not a regular file (a link, folder, pipe or device)");
}

RecordingStore::StoreError::StoreError(Case errorCase, std::optional<Uuid> id,
                                       std::optional<std::filesystem::path> target, const std::string& message)
    : std::runtime_error(message), case_(errorCase), id_(id), target_(std::move(target)) {}

}  // namespace brevanor
