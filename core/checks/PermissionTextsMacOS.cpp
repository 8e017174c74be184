#include "base/text/Localized.h"
#include "core/checks/PermissionTexts.h"

namespace brevanor {

// One backend only: the user grants both in System Settings.
PermissionTexts PermissionTexts::forBackend(PlatformBackend) {
    PermissionTexts texts;
    texts.bannerTitle = tr("Brevanor needs two permissions to record and replay your input.");
    texts.requestButton = tr("Grant…");
    texts.hasSettingsPage = true;
    texts.playingName = tr("Accessibility");
    texts.recordingName = tr("Input Monitoring");
    texts.missingToPlay = tr("Brevanor needs Accessibility permission to play recordings.");
    texts.missingBothToRecord =
        tr("Brevanor needs Accessibility and Input Monitoring permission before it can record.");
    texts.missingPlayingToRecord = tr("Brevanor needs Accessibility permission before it can record or play.");
    texts.missingRecordingToRecord = tr("Brevanor needs Input Monitoring permission before it can record.");
    texts.listenerFailed =
        tr("Brevanor could not start listening for input. Check Input Monitoring in System Settings, then quit and "
           "reopen the app.");
    texts.reopenNote =
        tr("If recording still does not start after granting Input Monitoring, quit and reopen Brevanor.");
    texts.staleGrantHint =
        tr("Switching an existing Brevanor entry on and nothing changes? That entry belongs to an older copy of "
           "the app. Remove it with the − button, make sure this copy lives in the Applications folder, then add "
           "it again.");
    texts.shortcutsRefused = tr("Could not register the shortcut %1. Another app may already use it.");
    return texts;
}

}  // namespace brevanor
