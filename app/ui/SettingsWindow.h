#pragma once

#include <QWidget>

namespace brevanor {

class AppCoordinator;
class AppSettings;
class UpdaterController;

// The application-wide preferences in four tabs: General, Hotkeys, Playback and
// About. Every control works on the settings, the coordinator or the updater
// directly and takes effect at once; there is nothing to apply or cancel, and
// the window keeps no state of its own. Its content has a fixed size. Closing
// it only hides it. It also tells how update checks end (UpdateAlerts).
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int contentWidth = 560;
    static constexpr int contentHeight = 480;

    SettingsWindow(AppCoordinator& coordinator, AppSettings& settings, UpdaterController& updater);
};

}  // namespace brevanor
