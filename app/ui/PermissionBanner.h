#pragma once

#include <QFrame>

#include "core/checks/Permissions.h"

class QLabel;
class QPushButton;

namespace brevanor {

class AppCoordinator;

// What Brevanor needs the two permissions for, whether each is granted, and the
// ways to grant them. Shown only while one is missing.
class PermissionBanner : public QFrame {
    Q_OBJECT

public:
    PermissionBanner(AppCoordinator& coordinator, Permissions permissions, QWidget* parent = nullptr);

private:
    // The widgets of one permission's row.
    struct PermissionRow {
        QLabel* dot;
        QLabel* granted;
        QPushButton* grant;
        QPushButton* openSettings;
    };

    PermissionRow addPermissionRow(const QString& name, const QString& purpose, Permissions::Pane pane);
    void showPermissions();

    AppCoordinator& coordinator_;
    Permissions permissions_;
    PermissionRow accessibility_;
    PermissionRow inputMonitoring_;
    QLabel* reopenNote_;
};

}  // namespace brevanor
