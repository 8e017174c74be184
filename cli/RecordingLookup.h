#pragma once

#include <string>

#include "core/model/Recording.h"
#include "core/store/RecordingStore.h"

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
    // An id or a name: for the commands that change the library.
    Recording findInLibrary(const std::string& reference) const;
    // The document at `file`; throws CliError when it cannot be read or is no recording.
    Recording loadFile(const std::string& file) const;

private:
    RecordingStore& store_;
};

}  // namespace brevanor
