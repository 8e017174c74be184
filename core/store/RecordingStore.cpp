#include "core/store/RecordingStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "core/model/Localized.h"
#include "core/model/RecordingDocumentError.h"
#include "core/store/DocumentFile.h"
#include "core/store/FileError.h"
#include "core/store/UserDataDirectory.h"

namespace brevanor {

namespace {

// Creates `directory` and its missing parents. They will hold keystrokes, so
// only the user may enter the folders made here.
void createFolder(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> missing;
    std::error_code ignored;
    for (auto folder = directory; !folder.empty() && !std::filesystem::exists(folder, ignored);
         folder = folder.parent_path()) {
        missing.push_back(folder);
        if (folder == folder.parent_path()) break;
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (::mkdir(folder->c_str(), 0700) != 0 && errno != EEXIST) {
            throw FileError("create the folder", *folder, errno);
        }
    }
    if (!std::filesystem::is_directory(directory, ignored)) throw FileError("create the folder", directory, ENOTDIR);
}

// Whether nothing at all is at `path` (a dangling link counts as nothing). A
// folder that cannot be searched does not count: reading will say why.
bool nothingAt(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
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
      listing_(maxDocumentBytes, options_.listingThreads) {
    createFolder(directory_);
}

std::filesystem::path RecordingStore::fileURL(const Uuid& id) const {
    return directory_ / (id.toString() + "." + std::string(fileExtension));
}

std::vector<std::shared_ptr<const Recording>> RecordingStore::list() {
    return listing_.recordings(listDocumentFiles(directory_, fileExtension));
}

Recording RecordingStore::load(const std::filesystem::path& from) {
    std::string bytes;
    readDocumentFile(from, maxDocumentBytes, bytes);
    return decoder_.decode(bytes);
}

Recording RecordingStore::load(const Uuid& id) {
    const std::filesystem::path path = fileURL(id);
    if (nothingAt(path)) throw StoreError::notFound(id);
    return load(path);
}

void RecordingStore::save(const Recording& recording) {
    const std::string bytes = encode(recording);
    // The folder may have been removed since the store was made; the recording must not be lost for that.
    createFolder(directory_);
    AtomicFileWriter::removeAbandonedTemporaryFiles(directory_);
    const std::filesystem::path path = fileURL(recording.id);
    listing_.forget(path);
    options_.writer.write(path, bytes);
}

void RecordingStore::deleteRecording(const Uuid& id) {
    const std::filesystem::path path = fileURL(id);
    if (nothingAt(path)) throw StoreError::notFound(id);
    listing_.forget(path);
    if (::unlink(path.c_str()) != 0) throw FileError("delete", path, errno);
}

Recording RecordingStore::rename(const Uuid& id, std::string name) {
    Recording recording = load(id);
    recording.name = std::move(name);
    save(recording);
    return recording;
}

Recording RecordingStore::duplicate(const Uuid& id) {
    Recording copy = load(id);
    copy.id = Uuid::random();
    copy.name = substitute(tr("%@ copy"), "%@", copy.name);
    copy.createdAt = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    save(copy);
    return copy;
}

Recording RecordingStore::importRecording(const std::filesystem::path& from) {
    Recording recording = load(from);
    // Never over a library document: a taken identifier gives way to a new one.
    while (!nothingAt(fileURL(recording.id))) recording.id = Uuid::random();
    save(recording);
    return recording;
}

void RecordingStore::exportRecording(const Recording& recording, const std::filesystem::path& to) {
    if (recording.settings.containsSensitiveInput) throw StoreError::exportDisabledForSensitiveRecording();
    listing_.forget(to);
    options_.writer.write(to, encode(recording));
}

std::string RecordingStore::nextAutoName(Date date) {
    const std::string formattedDate = options_.autoNameDateFormat.format(date);
    // A damaged preference must neither make the numbers negative nor overflow them.
    const std::int64_t counter = std::max<std::int64_t>(defaults_->getInteger(recordingCounterKey).value_or(0), 0);
    const std::int64_t number = counter == std::numeric_limits<std::int64_t>::max() ? counter : counter + 1;
    defaults_->setInteger(recordingCounterKey, number);
    return substitute(substitute(tr("Recording %lld – %@"), "%lld", std::to_string(number)), "%@", formattedDate);
}

std::string RecordingStore::encode(const Recording& recording) const {
    std::string bytes = encoder_.encode(recording);
    if (bytes.size() > maxDocumentBytes) {
        throw RecordingDocumentError(
            "", "the document would be larger than " + std::to_string(maxDocumentBytes / (1024 * 1024)) + " MiB");
    }
    return bytes;
}

RecordingStore::StoreError RecordingStore::StoreError::notFound(const Uuid& id) {
    return StoreError(Case::notFound, id, "no recording with the identifier " + id.toString());
}

RecordingStore::StoreError RecordingStore::StoreError::exportDisabledForSensitiveRecording() {
    return StoreError(Case::exportDisabledForSensitiveRecording, std::nullopt,
                      "a recording marked as holding sensitive input cannot be exported");
}

RecordingStore::StoreError::StoreError(Case errorCase, std::optional<Uuid> id, const std::string& message)
    : std::runtime_error(message), case_(errorCase), id_(id) {}

}  // namespace brevanor
