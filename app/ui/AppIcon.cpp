#include "app/ui/AppIcon.h"

#include <QString>

namespace brevanor {

namespace {

struct Source {
    const char* themeName;  // empty: always Brevanor's own
    const char* resource;
};

Source sourceOf(AppIcon icon) {
    switch (icon) {
        case AppIcon::application: return {"com.brevanor.Brevanor", ":/icons/com.brevanor.Brevanor.svg"};
        case AppIcon::timer: return {"appointment-soon", ":/icons/timer.svg"};
        case AppIcon::recording: return {"", ":/icons/recording.svg"};
        case AppIcon::preparing: return {"", ":/icons/hourglass.svg"};
        // The two blink frames must differ, so both are Brevanor's own.
        case AppIcon::playing: return {"", ":/icons/play-filled.svg"};
        case AppIcon::playingBlink: return {"", ":/icons/play-outline.svg"};
        case AppIcon::clear: return {"edit-clear", ":/icons/clear.svg"};
        case AppIcon::generalSettings: return {"preferences-system", ":/icons/settings-general.svg"};
        case AppIcon::hotkeySettings: return {"input-keyboard", ":/icons/settings-hotkeys.svg"};
        case AppIcon::playbackSettings: return {"media-playback-start", ":/icons/settings-playback.svg"};
        case AppIcon::about: return {"help-about", ":/icons/settings-about.svg"};
        case AppIcon::warning: return {"dialog-warning", ":/icons/warning.svg"};
        case AppIcon::record: return {"media-record", ":/icons/record-circle.svg"};
        case AppIcon::play: return {"media-playback-start", ":/icons/play.svg"};
        case AppIcon::stop: return {"media-playback-stop", ":/icons/stop.svg"};
        case AppIcon::privacy: return {"security-high", ":/icons/privacy.svg"};
        case AppIcon::done: return {"emblem-default", ":/icons/done.svg"};
    }
    return {"", ""};
}

}  // namespace

QIcon appIcon(AppIcon icon) {
    const Source source = sourceOf(icon);
    const QIcon own(QString::fromLatin1(source.resource));
    if (*source.themeName == '\0') return own;
    return QIcon::fromTheme(QString::fromLatin1(source.themeName), own);
}

}  // namespace brevanor
