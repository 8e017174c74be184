#include "base/text/Localized.h"
#include "core/checks/PermissionTexts.h"

namespace brevanor::PermissionTexts {

std::string bannerTitle() { return tr("Brevanor needs two permissions to record and replay your input."); }

std::string requestButton() { return tr("Grant…"); }

bool hasSettingsPage() { return true; }

std::string playingName() { return tr("Accessibility"); }

std::string recordingName() { return tr("Input Monitoring"); }

std::string missingToPlay() { return tr("Brevanor needs Accessibility permission to play recordings."); }

std::string missingToRecord(bool playingGranted, bool recordingGranted) {
    if (!playingGranted && !recordingGranted) {
        return tr("Brevanor needs Accessibility and Input Monitoring permission before it can record.");
    }
    if (!playingGranted) return tr("Brevanor needs Accessibility permission before it can record or play.");
    return tr("Brevanor needs Input Monitoring permission before it can record.");
}

std::string listenerFailed() {
    return tr(
        "Brevanor could not start listening for input. Check Input Monitoring in System Settings, then quit and "
        "reopen the app.");
}

std::string reopenNote() {
    return tr("If recording still does not start after granting Input Monitoring, quit and reopen Brevanor.");
}

std::string staleGrantHint() {
    return tr(
        "Switching an existing Brevanor entry on and nothing changes? That entry belongs to an older copy of "
        "the app. Remove it with the − button, make sure this copy lives in the Applications folder, then add "
        "it again.");
}

}  // namespace brevanor::PermissionTexts
