#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace brevanor {

class AppCoordinator;
class AppSettings;
class StatusDot;

// The settings window's first tab: starting at login (with the reason when the
// system refused), the countdown, the status pill, window restoring, and a
// glance at the two permissions with the way to the onboarding. Every control
// writes straight to the settings and follows them.
class GeneralSettingsTab : public QWidget {
    Q_OBJECT

public:
    static constexpr int mostCountdownSeconds = 10;

    GeneralSettingsTab(AppSettings& settings, AppCoordinator& coordinator, QWidget* parent = nullptr);

private:
    void showSettings();
    void showPermissions();

    AppSettings& settings_;
    AppCoordinator& coordinator_;
    QCheckBox* launchAtLogin_;
    QLabel* launchAtLoginError_;
    QSpinBox* countdown_;
    QCheckBox* showOverlay_;
    QCheckBox* restoreWindow_;
    StatusDot* accessibility_;
    StatusDot* inputMonitoring_;
};

}  // namespace brevanor
