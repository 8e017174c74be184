#include "core/checks/PermissionTexts.h"

namespace brevanor {

std::optional<std::string> PermissionTexts::missingToRecord(bool playingGranted, bool recordingGranted) const {
    if (playingGranted && recordingGranted) return std::nullopt;
    if (!playingGranted && !recordingGranted) return missingBothToRecord;
    return playingGranted ? missingRecordingToRecord : missingPlayingToRecord;
}

}  // namespace brevanor
