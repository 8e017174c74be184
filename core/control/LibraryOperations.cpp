#include "core/control/LibraryOperations.h"

#include <algorithm>
#include <cctype>

#include "core/store/DocumentTooLargeError.h"
#include "core/store/FileError.h"

namespace brevanor {

std::string LibraryOperations::reason(const std::exception& error) {
    std::string text = error.what();
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

bool LibraryOperations::holdsRecordings(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".macro" || extension == ".json";
}

std::optional<std::string> LibraryOperations::exportRefusal(const std::string& name,
                                                            const RecordingSettings& settings) {
    if (!settings.containsSensitiveInput) return std::nullopt;
    return "“" + name + "” is marked as containing sensitive input, so it cannot be exported.";
}

std::optional<std::string> LibraryOperations::ImportReport::sentence() const {
    std::string notRecordings;
    std::string tooLarge;
    for (const Refusal& refusal : refused) {
        const std::string name = refusal.file.filename().string();
        if (refusal.tooLarge) {
            tooLarge += " Could not import " + name + ": " + refusal.reason + ".";
        } else {
            notRecordings += (notRecordings.empty() ? "Could not import " : ", ") + name;
        }
    }
    if (!notRecordings.empty()) {
        notRecordings += ". The file is not a recording this version of Brevanor understands.";
    } else if (!tooLarge.empty()) {
        tooLarge.erase(0, 1);
    }
    if (notRecordings.empty() && tooLarge.empty()) return std::nullopt;
    return notRecordings + tooLarge;
}

LibraryOperations::ImportReport LibraryOperations::importFiles(const std::vector<std::filesystem::path>& files) {
    ImportReport report;
    for (const std::filesystem::path& file : files) {
        if (!holdsRecordings(file)) {
            report.otherKinds.push_back(file);
            continue;
        }
        try {
            report.imported.push_back(store_.importRecording(file));
        } catch (const FileError& error) {
            report.refused.push_back({file, reason(error)});
        } catch (const DocumentTooLargeError& error) {
            report.refused.push_back({file, reason(error), true});
        } catch (const std::exception& error) {
            report.refused.push_back(
                {file, "it is not a recording this version of Brevanor understands (" + reason(error) + ")"});
        }
    }
    return report;
}

void LibraryOperations::exportRecording(const Recording& recording, const std::filesystem::path& target,
                                        RecordingStore::Overwrite overwrite) {
    if (auto refusal = exportRefusal(recording.name, recording.settings)) throw Failure(*refusal);
    try {
        store_.exportRecording(recording, target, overwrite);
    } catch (const RecordingStore::StoreError& error) {
        if (error.errorCase() != RecordingStore::StoreError::Case::exportTargetExists)
            fail("export", recording.name, error);
        throw Failure("Could not export “" + recording.name + "”: " + target.string() + " already exists",
                      Failure::Cause::exportTargetExists);
    } catch (const std::exception& error) {
        fail("export", recording.name, error);
    }
}

RecordingSummary LibraryOperations::duplicate(const Uuid& id, const std::string& name) {
    return attempt("duplicate", name, [&] { return store_.duplicate(id); });
}

void LibraryOperations::remove(const Uuid& id, const std::string& name) {
    attempt("delete", name, [&] { store_.deleteRecording(id); });
}

Recording LibraryOperations::rename(const Uuid& id, const std::string& name, const std::string& newName) {
    return attempt("rename", name, [&] { return store_.rename(id, newName); });
}

void LibraryOperations::fail(const std::string& verb, const std::string& name, const std::exception& error) {
    const auto* storeError = dynamic_cast<const RecordingStore::StoreError*>(&error);
    if (storeError && storeError->errorCase() == RecordingStore::StoreError::Case::notFound) {
        // Another process deleted it after it was looked up.
        throw Failure("Could not " + verb + " “" + name + "”: it is no longer in the library");
    }
    throw Failure("Could not " + verb + " “" + name + "”: " + reason(error));
}

}  // namespace brevanor
