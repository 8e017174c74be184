#pragma once

#include <QIcon>

namespace brevanor {

// The icons of the tray and the windows. Each is looked up in the desktop's
// icon theme by its freedesktop name where one fits, and otherwise drawn from
// Brevanor's own SVG icons in the application's resources.
enum class AppIcon {
    application,   // Brevanor's own icon; also the tray icon while idle
    timer,         // a countdown runs
    recording,     // red: never taken from the theme, whose record icons may be grey
    preparing,     // an hourglass
    playing,       // a filled play symbol
    playingBlink,  // the outlined play symbol the playing icon alternates with
    clear,         // removes a value (the shortcut field)
    // The settings window's tabs.
    generalSettings,
    hotkeySettings,
    playbackSettings,
    about,
    // Small signs beside texts.
    warning,  // a conflict or a missing permission
    record,   // the record shortcut
    play,     // the play-last shortcut
    stop,     // the stop shortcut
    privacy,  // where the recordings stay
    done,     // the onboarding's last step
};

QIcon appIcon(AppIcon icon);

}  // namespace brevanor
