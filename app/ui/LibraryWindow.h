#pragma once

#include <QWidget>
#include <memory>

#include "core/model/Recording.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace brevanor {

class AppCoordinator;
class AppSettings;

// A plain stand-in for the library window: the recordings, newest first, the
// permission and error banners, and buttons for every library command. All it
// shows is the coordinator's published state; all it does is call the
// coordinator. Closing it only hides it.
class LibraryWindow : public QWidget {
    Q_OBJECT

public:
    LibraryWindow(AppCoordinator& coordinator, AppSettings& settings);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void showRecordings();
    void showBanners();
    void showState();
    std::shared_ptr<const Recording> selectedRecording() const;
    void chooseFilesToImport();

    AppCoordinator& coordinator_;
    AppSettings& settings_;
    QLabel* permissionBanner_;
    QLabel* errorBanner_;
    QPushButton* dismissError_;
    QLabel* status_;
    QListWidget* list_;
    QPushButton* record_;
    QPushButton* play_;
};

}  // namespace brevanor
