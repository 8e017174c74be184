#include "core/control/NewRecording.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "base/text/Localized.h"
#include "core/store/AtomicFileWriter.h"
#include "core/store/PreferencesStore.h"
#include "core/store/PrivateFolder.h"
#include "core/store/RecordingStore.h"
#include "core/store/UserDataDirectory.h"

namespace brevanor {

bool NewRecording::isWorthKeeping(const Recording& recording) {
    return std::any_of(recording.events.begin(), recording.events.end(),
                       [](const RecordingEvent& event) { return !event.isIdleGap(); });
}

NewRecording::Named NewRecording::prepare(Recording recording, RecordingStore& store, const RecordingSettings& settings,
                                          std::optional<std::string> name, Date date) {
    std::optional<std::string> warning;
    if (name) {
        recording.name = std::move(*name);
    } else {
        try {
            recording.name = store.nextAutoName(date);
        } catch (const std::exception& error) {
            // The number the counter would have given.
            recording.name = store.autoName(
                PreferencesStore::countAfter(store.preferences().getInteger(RecordingStore::recordingCounterKey)),
                date);
            warning = tr("The recording was saved, but the number of its name could not be stored (") + error.what() +
                      tr("), so the next recording may get the same number.");
        }
    }
    recording.settings = settings;
    // Positions that are no places on the screen play from wherever the cursor is, here and in any build.
    if (recording.environment.relativePositions) recording.settings.cursorMode = CursorMode::relativeToCursor;
    return {std::move(recording), std::move(warning)};
}

std::vector<std::filesystem::path> NewRecording::placesOutsideLibrary(
    const std::optional<std::filesystem::path>& extra) {
    std::vector<std::filesystem::path> places;
    try {
        places.push_back(userStateDirectory() / "Brevanor" / "Unsaved");
    } catch (const std::exception&) {
        // Without a home folder the other places still serve.
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        places.emplace_back(runtime);
    if (extra) places.push_back(*extra);
    std::error_code error;
    if (auto temporary = std::filesystem::temp_directory_path(error); !error) places.push_back(std::move(temporary));
    return places;
}

std::filesystem::path NewRecording::keepOutsideLibrary(const Recording& recording,
                                                       const std::vector<std::filesystem::path>& places) {
    const std::string document = Recording::makeJSONEncoder().encode(recording);
    std::exception_ptr failure;
    for (const std::filesystem::path& folder : places) {
        try {
            createPrivateFolder(folder);
            // The id keeps names apart; a name taken meanwhile (a shared temporary folder) gets another.
            for (Uuid id = recording.id;; id = Uuid::random()) {
                const auto file = folder / ("Brevanor recording " + id.toString() + ".json");
                if (AtomicFileWriter().create(file, document)) return file;
            }
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
    throw std::runtime_error("there is no folder to keep it in");
}

}  // namespace brevanor
