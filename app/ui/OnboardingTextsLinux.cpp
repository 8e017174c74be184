#include <cstdlib>

#include "app/control/MessageText.h"
#include "app/ui/OnboardingTexts.h"
#include "base/text/Localized.h"

namespace brevanor {

namespace {

// The folder as the user would type it: the home folder as "~".
std::string shortened(const std::filesystem::path& folder) {
    const char* home = std::getenv("HOME");
    const std::string text = folder.string();
    if (home == nullptr || *home == '\0') return text;
    const std::string prefix = std::filesystem::path(home).lexically_normal().string();
    if (text == prefix) return "~";
    if (text.starts_with(prefix) && text[prefix.size()] == '/') return "~" + text.substr(prefix.size());
    return text;
}

}  // namespace

// On X11 nobody grants anything: every program on the display may post and
// listen when the X server has the extensions for it. The steps say so, say
// what to do when they are missing, and offer to look again.
OnboardingTexts OnboardingTexts::forThisSystem(const std::filesystem::path& recordingsFolder) {
    OnboardingTexts texts;
    texts.privacyTitle = tr("Your recordings stay on this computer");
    texts.privacyText = fillIn(
        tr("Recordings are kept in %1. Keystrokes typed while recording are saved as plain text inside the recording "
           "file. Nothing is sent anywhere: Brevanor has no analytics and only goes online to check for updates. Mark "
           "a recording as sensitive to disable export."),
        {shortened(recordingsFolder)});
    texts.permissionsIntro =
        tr("Two X server extensions are needed. Only the X server grants them; the next steps check that it does.");
    const std::string howToGrant =
        tr("X11 has no switch for this: every program on your screen may do it when the X server allows it. A red "
           "light means a Wayland session without X11, or an X server without the extension: log in to an X11 "
           "session, then open Brevanor there. This window moves on by itself once access is granted.");
    const std::string troubleHint =
        tr("Remote and nested X servers (ssh -X, Xephyr, some VNC servers) may leave the extension out: run Brevanor "
           "on the screen you sit at.");
    texts.accessibility = {
        tr("Playback (XTEST)"),
        tr("Playback moves the mouse and presses keys on your behalf, and recording notes where the front window is. "
           "On X11 playback needs the X server's XTEST extension."),
        tr("Check Again"),
        std::nullopt,
        howToGrant,
        troubleHint,
        "",
    };
    texts.inputMonitoring = {
        tr("Recording (XInput 2 / RECORD)"),
        tr("Recording listens to your mouse and keyboard while you work in other apps. On X11 this needs the X "
           "server's XInput 2.2 or RECORD extension."),
        tr("Check Again"),
        std::nullopt,
        howToGrant,
        troubleHint,
        tr("If the light stays red after you switched to an X11 session, quit and reopen Brevanor."),
    };
    texts.whereItLives = tr("Brevanor lives in the system tray. Press ");
    return texts;
}

}  // namespace brevanor
