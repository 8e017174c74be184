#pragma once

#include <QWidget>

#include "app/update/BuildInfo.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace brevanor {

class UpdaterController;

// The settings window's fourth tab: what this build is (icon, name, version,
// what it does), the update check and its automatic switch with a sentence on
// how updates work, the web site when the build names one, and the ownership
// notice. The update controls follow the updater.
class AboutTab : public QWidget {
    Q_OBJECT

public:
    AboutTab(UpdaterController& updater, const BuildInfo& build, QWidget* parent = nullptr);

    // "Version 0.1.0 (abc123)"; each part the build lacks reads 0.
    static std::string versionText(const BuildInfo& build);

private:
    void showUpdater();

    UpdaterController& updater_;
    QPushButton* checkNow_;
    QCheckBox* automatic_;
    QLabel* status_;
};

}  // namespace brevanor
