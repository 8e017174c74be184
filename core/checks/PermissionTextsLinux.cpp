#include "base/text/Localized.h"
#include "core/checks/PermissionTexts.h"

namespace brevanor::PermissionTexts {

std::string bannerTitle() { return tr("Brevanor needs two X server extensions to record and replay your input."); }

// Nothing to ask for: the X server offers them or not; a look again sees a server that was restarted with them.
std::string requestButton() { return tr("Check Again"); }

bool hasSettingsPage() { return false; }

std::string playingName() { return tr("Playback (XTEST)"); }

std::string recordingName() { return tr("Recording (XInput 2 / RECORD)"); }

std::string missingToPlay() {
    return tr("Brevanor cannot play recordings: the X server does not offer the XTEST extension.");
}

std::string missingToRecord(bool playingGranted, bool recordingGranted) {
    if (!playingGranted && !recordingGranted) {
        return tr("Brevanor cannot record: the X server lacks the XTEST extension and both XInput 2.2 and RECORD.");
    }
    if (!playingGranted) return tr("Brevanor cannot record or play: the X server does not offer the XTEST extension.");
    return tr("Brevanor cannot record: the X server offers neither XInput 2.2 nor RECORD.");
}

std::string listenerFailed() {
    return tr(
        "Brevanor could not start listening for input through XInput 2.2 or RECORD. Quit and reopen Brevanor; "
        "if it happens again, run it in an X11 session on the screen you sit at.");
}

std::string reopenNote() {
    return tr(
        "If recording still does not start once the X server offers XInput 2.2 or RECORD, quit and reopen "
        "Brevanor.");
}

// The X server grants to every program alike: no entry of an older copy can stand in the way.
std::string staleGrantHint() { return {}; }

}  // namespace brevanor::PermissionTexts
