#include "cli/RecordingLookup.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "cli/CliError.h"
#include "core/control/LibraryOperations.h"
#include "core/store/DocumentTooLargeError.h"
#include "core/store/FileError.h"

namespace brevanor {

namespace {

bool isFile(const std::string& reference) {
    std::error_code error;
    return !Uuid::parse(reference) && std::filesystem::is_regular_file(reference, error);
}

// What is at `path` when something is there that is no file: a folder, a pipe, a device.
std::optional<std::string> notAFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return std::nullopt;
    if (S_ISDIR(info.st_mode)) return "a folder";
    if (S_ISFIFO(info.st_mode)) return "a pipe";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "a device";
    return "no regular file";
}

// Runs `read` on the library's recording `id`, wording its failures.
template <typename Read>
auto readingLibrary(const Uuid& id, Read&& read) {
    try {
        return read();
    } catch (const RecordingStore::StoreError&) {
        throw CliError("No recording in the library has the id " + id.toString() + ".");
    } catch (const FileError& failure) {
        throw CliError("The recording " + id.toString() + " cannot be read: " + LibraryOperations::reason(failure) +
                       ".");
    } catch (const DocumentTooLargeError& failure) {
        throw CliError("The recording " + id.toString() + " cannot be read: " + LibraryOperations::reason(failure) +
                       ".");
    } catch (const std::exception& failure) {
        throw CliError("The recording " + id.toString() + " is not a recording this version of Brevanor understands (" +
                       LibraryOperations::reason(failure) + ").");
    }
}

// Runs `read` on the recording file `file`, wording its failures.
template <typename Read>
auto readingFile(const std::string& file, Read&& read) {
    try {
        return read();
    } catch (const FileError& failure) {
        throw CliError("Cannot read " + file + ": " + LibraryOperations::reason(failure) + ".");
    } catch (const DocumentTooLargeError& failure) {
        throw CliError("Cannot read " + file + ": " + LibraryOperations::reason(failure) + ".");
    } catch (const std::exception& failure) {
        throw CliError(file + " is not a recording this version of Brevanor understands (" +
                       LibraryOperations::reason(failure) + ").");
    }
}

}  // namespace

Recording RecordingLookup::find(const std::string& reference) const {
    if (isFile(reference)) return readingFile(reference, [&] { return store_.load(std::filesystem::path(reference)); });
    const Uuid id = libraryId(reference);
    return readingLibrary(id, [&] { return store_.load(id); });
}

StreamedDocument RecordingLookup::open(const std::string& reference) const {
    if (isFile(reference)) {
        return readingFile(reference, [&] { return store_.openDocument(std::filesystem::path(reference)); });
    }
    const Uuid id = libraryId(reference);
    return readingLibrary(id, [&] { return store_.openDocument(id); });
}

RecordingSummary RecordingLookup::findInLibrary(const std::string& reference) const {
    const Uuid id = libraryId(reference);
    return readingLibrary(id, [&] { return store_.openDocument(id).summary(); });
}

Uuid RecordingLookup::libraryId(const std::string& reference) const {
    if (const auto id = Uuid::parse(reference)) return *id;
    std::vector<Uuid> matches;
    for (const auto& recording : store_.listSummaries().entries) {
        if (recording->name == reference) matches.push_back(recording->id);
    }
    if (matches.empty()) {
        // Meant as a file, most likely: say what is there instead.
        if (const auto what = notAFile(reference)) {
            throw CliError(reference + " is " + *what + ", not a recording file, and no recording is named so.");
        }
        throw CliError("No recording is named “" + reference + "”, and no id or file matches it.");
    }
    if (matches.size() > 1) {
        throw CliError("Several recordings are named “" + reference + "”; name one by its id (brevanor-cli list).");
    }
    return matches.front();
}

}  // namespace brevanor
