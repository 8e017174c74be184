#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>

class QWidget;

namespace brevanor {

class UpdaterController;
struct UpdateCheckResult;

// Tells the user how an update check ended, in a window that never blocks the
// rest of the interface: a newer release (with a button that opens its download
// page in the browser) after any check, and "up to date" or the failure after a
// check the user asked for. A failed automatic check is told only in the About
// tab's status line, so a machine that is offline is not interrupted daily.
// A new alert replaces one still open. Main thread only.
class UpdateAlerts : public QObject {
    Q_OBJECT

public:
    // Alerts open over `window` (which may be hidden).
    UpdateAlerts(UpdaterController& updater, QWidget& window);

    // The alert on screen, if any.
    QMessageBox* openAlert() const { return alert_; }

private:
    void tell(const UpdateCheckResult& result);

    UpdaterController& updater_;
    QWidget& window_;
    QPointer<QMessageBox> alert_;
};

}  // namespace brevanor
