#include "core/control/NewRecording.h"

#include <algorithm>
#include <exception>

#include "core/model/Localized.h"
#include "core/store/PreferencesStore.h"
#include "core/store/RecordingStore.h"

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
    return {std::move(recording), std::move(warning)};
}

}  // namespace brevanor
