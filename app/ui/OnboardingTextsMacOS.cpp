#include "app/ui/OnboardingTexts.h"
#include "base/text/Localized.h"

namespace brevanor {

OnboardingTexts OnboardingTexts::forBackend(PlatformBackend, const std::filesystem::path&) {
    OnboardingTexts texts;
    texts.privacyTitle = tr("Your recordings stay on this Mac");
    texts.privacyText =
        tr("Keystrokes typed while recording are saved as plain text inside the recording file. Nothing is sent "
           "anywhere: Brevanor has no analytics and only goes online to check for updates. Mark a recording as "
           "sensitive to disable export.");
    texts.permissionsIntro = tr("Two macOS permissions are needed. The next steps walk you through them.");
    const std::string howToGrant =
        tr("Click Grant Access, then turn on Brevanor in the list macOS shows. This window moves on by itself once "
           "access is granted.");
    const std::string troubleHint =
        tr("If the list already has a Brevanor entry that does nothing, it belongs to an older copy of the app: remove "
           "it with the \u2212 button, then add this one.");
    texts.accessibility = {
        tr("Allow Accessibility"),
        tr("Playback moves the mouse and presses keys on your behalf, and recording notes where the front window is. "
           "macOS groups both under Accessibility access."),
        tr("Grant Access…"),
        tr("Open System Settings…"),
        howToGrant,
        troubleHint,
        "",
    };
    texts.inputMonitoring = {
        tr("Allow Input Monitoring"),
        tr("Recording listens to your mouse and keyboard while you work in other apps. macOS calls this Input "
           "Monitoring."),
        tr("Grant Access…"),
        tr("Open System Settings…"),
        howToGrant,
        troubleHint,
        tr("If the light stays red after you turn Brevanor on, quit and reopen the app."),
    };
    texts.whereItLives = tr("Brevanor lives in the menu bar. Press ");
    return texts;
}

}  // namespace brevanor
