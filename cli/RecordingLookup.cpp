#include "cli/RecordingLookup.h"

#include <filesystem>
#include <vector>

#include "cli/CliError.h"
#include "core/store/FileError.h"

namespace brevanor {

namespace {

// Folder and document errors as the end of a sentence, without a trailing full stop.
std::string reason(const std::exception& error) {
    std::string text = error.what();
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

Recording RecordingLookup::find(const std::string& reference) const {
    if (Uuid::parse(reference)) return findInLibrary(reference);
    std::error_code error;
    if (std::filesystem::is_regular_file(reference, error)) return loadFile(reference);
    return findInLibrary(reference);
}

Recording RecordingLookup::findInLibrary(const std::string& reference) const {
    if (const auto id = Uuid::parse(reference)) {
        try {
            return store_.load(*id);
        } catch (const RecordingStore::StoreError&) {
            throw CliError("No recording in the library has the id " + id->toString() + ".");
        } catch (const FileError& failure) {
            throw CliError("The recording " + id->toString() + " cannot be read: " + reason(failure) + ".");
        } catch (const std::exception& failure) {
            throw CliError("The recording " + id->toString() +
                           " is not a recording this version of Brevanor understands (" + reason(failure) + ").");
        }
    }
    std::vector<std::shared_ptr<const Recording>> matches;
    for (const auto& recording : store_.list().entries) {
        if (recording->name == reference) matches.push_back(recording);
    }
    if (matches.empty()) {
        throw CliError("No recording is named “" + reference + "”, and no id or file matches it.");
    }
    if (matches.size() > 1) {
        throw CliError("Several recordings are named “" + reference + "”; name one by its id (brevanor-cli list).");
    }
    return *matches.front();
}

Recording RecordingLookup::loadFile(const std::string& file) const {
    try {
        return store_.load(std::filesystem::path(file));
    } catch (const FileError& failure) {
        throw CliError("Cannot read " + file + ": " + reason(failure) + ".");
    } catch (const std::exception& failure) {
        throw CliError(file + " is not a recording this version of Brevanor understands (" + reason(failure) + ").");
    }
}

}  // namespace brevanor
