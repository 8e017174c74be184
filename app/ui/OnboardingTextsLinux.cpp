#include <cstdlib>

#include "app/control/MessageText.h"
#include "app/ui/OnboardingTexts.h"
#include "base/text/Localized.h"
#include "core/checks/PermissionTexts.h"

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

// On X11 nobody grants anything: every program on the display may post and
// listen when the X server has the extensions for it. The steps say so, say
// what to do when they are missing, and offer to look again.
void addX11Steps(OnboardingTexts& texts) {
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
}

// On Wayland no client sees another's input and no prompt exists: recording
// reads the kernel's input devices, which the input group may read, and
// playback needs a compositor that accepts a virtual pointer and keyboard, or
// else /dev/uinput.
void addWaylandSteps(OnboardingTexts& texts) {
    texts.permissionsIntro =
        tr("On Wayland, Brevanor plays through a virtual pointer and keyboard and records from your input devices. "
           "The next steps check both.");
    texts.accessibility = {
        tr("Playback (virtual input)"),
        tr("Playback moves the mouse and presses keys on your behalf. On Wayland it does so through a virtual "
           "pointer and keyboard of the compositor (the zwlr_virtual_pointer_v1 and zwp_virtual_keyboard_v1 "
           "protocols) or, where the compositor offers none, through a virtual device of its own in /dev/uinput."),
        tr("Check Again"),
        std::nullopt,
        tr("There is no switch for this: sway, Hyprland, labwc, river and the other wlroots compositors offer both. "
           "KDE Plasma and GNOME offer neither: there Brevanor plays through /dev/uinput once a udev rule lets you "
           "open it. Run this in a terminal:\n") +
            PermissionTexts::forBackend(PlatformBackend::wayland).playingSetUp +
            tr("\nThis window moves on by itself once Brevanor can play."),
        tr("Nested compositors may leave the protocols out: run Brevanor in the session you sit at."),
        "",
    };
    texts.inputMonitoring = {
        tr("Recording (input devices)"),
        tr("Recording listens to your mouse and keyboard while you work in other apps. Wayland shows no program "
           "the input of another, so Brevanor reads your input devices in /dev/input. It never takes them: your "
           "input still reaches the compositor."),
        tr("Check Again"),
        std::nullopt,
        tr("Reading /dev/input needs the input group. Run this in a terminal, then log out and back in:\n"
           "sudo usermod -aG input $USER\n"
           "This window moves on by itself once the devices can be read."),
        tr("Every program you run can then read every key you type, as Brevanor does: add only your own account."),
        tr("If the light stays red after you logged back in, check that the command groups lists input, then quit "
           "and reopen Brevanor."),
    };
}

}  // namespace

OnboardingTexts OnboardingTexts::forBackend(PlatformBackend backend, const std::filesystem::path& recordingsFolder) {
    OnboardingTexts texts;
    texts.privacyTitle = tr("Your recordings stay on this computer");
    texts.privacyText = fillIn(
        tr("Recordings are kept in %1. Keystrokes typed while recording are saved as plain text inside the recording "
           "file. Nothing is sent anywhere: Brevanor has no analytics and only goes online to check for updates. Mark "
           "a recording as sensitive to disable export."),
        {shortened(recordingsFolder)});
    if (backend == PlatformBackend::wayland) {
        addWaylandSteps(texts);
    } else {
        addX11Steps(texts);
    }
    texts.whereItLives = tr("Brevanor lives in the system tray. Press ");
    return texts;
}

}  // namespace brevanor
