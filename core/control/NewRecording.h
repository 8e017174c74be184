#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/model/Date.h"
#include "core/model/Recording.h"

namespace brevanor {

class RecordingStore;

// A finished recording on its way into the library: kept only when it holds
// something besides pauses, named, and given the user's defaults for new
// recordings. The same for the application and the command line.
class NewRecording {
public:
    struct Named {
        Recording recording;
        // Set when the automatic name's counter could not be stored: the
        // recording keeps its name all the same (the next one may repeat its number).
        std::optional<std::string> warning;
    };

    // Whether a finished recording holds at least one event that is not an idle gap.
    static bool isWorthKeeping(const Recording& recording);

    // `recording` with `name`, or else the store's next automatic name for
    // `date`, and with `settings`. Never throws for the name: a counter that
    // cannot be written must not cost the user the recording.
    static Named prepare(Recording recording, RecordingStore& store, const RecordingSettings& settings,
                         std::optional<std::string> name, Date date);

    // Where a recording the library could not take (a full or read-only
    // disk) is kept instead, in this order: "Brevanor/Unsaved" in the user's
    // state folder, the session's runtime folder, `extra` when given, and the
    // temporary folder.
    static std::vector<std::filesystem::path> placesOutsideLibrary(
        const std::optional<std::filesystem::path>& extra = std::nullopt);
    // Writes the recording's document, as an import reads it, to a new file in
    // the first of `places` that takes it and answers the file; nothing is
    // ever replaced. Throws the last place's failure when none takes it.
    static std::filesystem::path keepOutsideLibrary(const Recording& recording,
                                                    const std::vector<std::filesystem::path>& places);
};

}  // namespace brevanor
