#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace brevanor {

class AppCoordinator;
class AppSettings;
class HotkeyRecorderView;

// A plain stand-in for the settings window: the countdown, the status pill and
// window restoring switches, starting at login (with its error), and the three
// shortcuts with a reset. Every control writes straight to the settings.
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    SettingsWindow(AppCoordinator& coordinator, AppSettings& settings);

private:
    void showSettings();

    AppCoordinator& coordinator_;
    AppSettings& settings_;
    QSpinBox* countdown_;
    QCheckBox* showOverlay_;
    QCheckBox* restoreWindow_;
    QCheckBox* launchAtLogin_;
    QLabel* launchAtLoginError_;
    HotkeyRecorderView* recordHotkey_;
    HotkeyRecorderView* playLastHotkey_;
    HotkeyRecorderView* stopHotkey_;
};

}  // namespace brevanor
