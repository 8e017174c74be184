#pragma once

#include <optional>
#include <string>

#include "base/platform/PlatformBackend.h"

namespace brevanor {

// The two permissions named as the running backend knows them: the Mac's
// Accessibility and Input Monitoring, which the user grants in System
// Settings; on X11 the server's extensions, which only the X server grants
// (XTEST to play; XInput 2.2 or RECORD to record); on Wayland a compositor
// that accepts virtual input or, where it accepts none, /dev/uinput (to play)
// and input devices the user may read (to record). Every window and command takes its wording from here.
struct PermissionTexts {
    // The headline over the two lights when one is missing.
    std::string bannerTitle;
    // The button beside a missing one: it asks for it where the user grants it, else checks again.
    std::string requestButton;
    // Whether the system has a settings page where the user grants them.
    bool hasSettingsPage = false;
    // What lets Brevanor play (post input), as a light or a row names it.
    std::string playingName;
    // What lets Brevanor record (listen to input).
    std::string recordingName;
    // Why nothing plays without the first.
    std::string missingToPlay;
    // Why nothing records: without either, without the first, without the second.
    std::string missingBothToRecord;
    std::string missingPlayingToRecord;
    std::string missingRecordingToRecord;
    // Why the listener could not start although it may.
    std::string listenerFailed;
    // The banner's note while recording is missing.
    std::string reopenNote;
    // The commands that let Brevanor play where the system does not offer it
    // yet (on Wayland without virtual input: a udev rule for /dev/uinput); empty where none exist.
    std::string playingSetUp;
    // What to do when granting seems to change nothing; empty where nothing helps.
    std::string staleGrantHint;
    // How the global shortcuts are heard; empty where that needs no word.
    std::string shortcutsNote;
    // Why shortcuts (%1) could not be registered; and why, where the shortcuts
    // are heard by the recording's listener, while that may not listen (empty
    // where they are not).
    std::string shortcutsRefused;
    std::string shortcutsUnheard;

    // Why nothing records, by what is missing; nothing when both are granted.
    std::optional<std::string> missingToRecord(bool playingGranted, bool recordingGranted) const;

    // The texts of `backend`; `automatic` (the fake backend of the tests) reads as the X server on Linux.
    static PermissionTexts forBackend(PlatformBackend backend);
};

}  // namespace brevanor
