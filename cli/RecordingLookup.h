#pragma once

#include <string>

#include "core/model/Recording.h"
#include "core/model/RecordingSummary.h"
#include "core/store/RecordingStore.h"
#include "core/store/StreamedDocument.h"

namespace brevanor {

// Finds the recording a command names: by its id (either case), by a file
// holding a recording document, or by its exact name in the library. Throws
// CliError with one sentence when nothing or more than one recording matches,
// or when the file is no recording.
class RecordingLookup {
public:
    explicit RecordingLookup(RecordingStore& store) : store_(store) {}

    // An id, an existing file, or a name, tried in this order.
    Recording find(const std::string& reference) const;
    // The same, read for its summary and a walk through its events without holding them all.
    StreamedDocument open(const std::string& reference) const;
    // An id or a name: for the commands that change the library.
    RecordingSummary findInLibrary(const std::string& reference) const;

private:
    // The id of the library recording `reference` names: an id, or a name found in the library.
    Uuid libraryId(const std::string& reference) const;

    RecordingStore& store_;
};

}  // namespace brevanor
