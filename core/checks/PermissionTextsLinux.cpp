#include "base/text/Localized.h"
#include "core/checks/PermissionTexts.h"

namespace brevanor {

namespace {

// The X server grants to every program alike: nothing to ask for, and a look
// again sees a server that was restarted with the extensions.
PermissionTexts x11Texts() {
    PermissionTexts texts;
    texts.bannerTitle = tr("Brevanor needs two X server extensions to record and replay your input.");
    texts.requestButton = tr("Check Again");
    texts.playingName = tr("Playback (XTEST)");
    texts.recordingName = tr("Recording (XInput 2 / RECORD)");
    texts.missingToPlay = tr("Brevanor cannot play recordings: the X server does not offer the XTEST extension.");
    texts.missingBothToRecord =
        tr("Brevanor cannot record: the X server lacks the XTEST extension and both XInput 2.2 and RECORD.");
    texts.missingPlayingToRecord =
        tr("Brevanor cannot record or play: the X server does not offer the XTEST extension.");
    texts.missingRecordingToRecord = tr("Brevanor cannot record: the X server offers neither XInput 2.2 nor RECORD.");
    texts.listenerFailed =
        tr("Brevanor could not start listening for input through XInput 2.2 or RECORD. Quit and reopen Brevanor; "
           "if it happens again, run it in an X11 session on the screen you sit at.");
    texts.reopenNote =
        tr("If recording still does not start once the X server offers XInput 2.2 or RECORD, quit and reopen "
           "Brevanor.");
    texts.shortcutsRefused = tr("Could not register the shortcut %1. Another app may already use it.");
    return texts;
}

// Wayland shows no client another's input and has no prompt: Brevanor reads the
// kernel's input devices, which the input group may read, and plays through the
// virtual pointer and keyboard a compositor offers or, where it offers none,
// through a device of its own made in /dev/uinput, which a udev rule may open
// to the user at the screen.
PermissionTexts waylandTexts() {
    const std::string joinInputGroup =
        tr("add yourself to the input group (sudo usermod -aG input $USER), then log out and back in.");
    const std::string cannotPost =
        tr("this Wayland compositor offers no virtual pointer and keyboard (KDE and GNOME offer none), and "
           "/dev/uinput cannot be opened for writing.");
    PermissionTexts texts;
    texts.playingSetUp =
        "echo 'KERNEL==\"uinput\", SUBSYSTEM==\"misc\", TAG+=\"uaccess\", OPTIONS+=\"static_node=uinput\"' | "
        "sudo tee /etc/udev/rules.d/60-brevanor-uinput.rules\n"
        "sudo modprobe uinput && sudo udevadm control --reload && sudo udevadm trigger --name-match=uinput";
    const std::string allowUinput =
        tr("To play through /dev/uinput, let the user at the screen open it with a udev rule:\n") + texts.playingSetUp;
    texts.bannerTitle = tr("Brevanor needs two things from Wayland to record and replay your input.");
    texts.requestButton = tr("Check Again");
    texts.playingName = tr("Playback (virtual input)");
    texts.recordingName = tr("Recording (input devices)");
    texts.missingToPlay = tr("Brevanor cannot play here: ") + cannotPost + " " + allowUinput;
    texts.missingBothToRecord = tr("Brevanor cannot record: it cannot read /dev/input, and ") + cannotPost +
                                tr(" To read the devices, ") + joinInputGroup + " " + allowUinput;
    texts.missingPlayingToRecord = tr("Brevanor cannot record or play: ") + cannotPost + " " + allowUinput;
    texts.missingRecordingToRecord = tr("Brevanor cannot read /dev/input, so it cannot record: ") + joinInputGroup;
    texts.listenerFailed =
        tr("Brevanor could not start reading the input devices in /dev/input. Quit and reopen Brevanor; if it "
           "happens again, check that the command groups lists input.");
    texts.reopenNote =
        tr("The input group counts from your next login: after sudo usermod -aG input $USER, log out and back in, "
           "then open Brevanor again.");
    texts.shortcutsNote =
        tr("On Wayland these shortcuts are heard from the input devices without taking them: the keys also reach "
           "the window in front. To have the compositor own a key instead, bind it to brevanor --record, "
           "--play-last or --stop, e.g. in sway: bindsym Ctrl+Alt+Mod4+r exec brevanor --record");
    // A listener that only reads takes no key from anyone: only Brevanor's own shortcuts stand in the way.
    texts.shortcutsRefused = tr("Could not register the shortcut %1: another of Brevanor's shortcuts has it.");
    texts.shortcutsUnheard = tr("Brevanor cannot hear the shortcut %1 without reading /dev/input: ") + joinInputGroup;
    return texts;
}

}  // namespace

PermissionTexts PermissionTexts::forBackend(PlatformBackend backend) {
    return backend == PlatformBackend::wayland ? waylandTexts() : x11Texts();
}

}  // namespace brevanor
