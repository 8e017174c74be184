#pragma once

#include <QWidget>
#include <memory>

#include "app/control/AppCoordinator.h"
#include "app/ui/LibrarySidebar.h"
#include "core/model/DateText.h"
#include "core/store/PreferencesStore.h"

class QLabel;
class QSplitter;
class QStackedWidget;

namespace brevanor {

class AppSettings;
class NoticeBanner;
class RecordingDetailView;

// The application's one ordinary window: the recordings on the left, the
// editor of the selected one on the right. Everything it shows is the
// coordinator's published state; every command is the coordinator's. Files
// dropped anywhere on it are imported one by one. It remembers its frame in
// the preferences; closing it only hides it.
class LibraryWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* frameAutosaveName = "Brevanor.Library";

    // `services` gives the permissions and the main queue;
    // `preferences` keeps the window's frame.
    LibraryWindow(AppCoordinator& coordinator, AppSettings& settings, const AppCoordinator::Services& services,
                  std::shared_ptr<PreferencesStore> preferences, DateText dates = DateText());
    // Saves what the editor still holds.
    ~LibraryWindow() override;

    LibrarySidebar& sidebar() const { return *sidebar_; }
    // The editor of the selected recording; null while none is selected.
    RecordingDetailView* editor() const { return editor_; }
    // A notice above the recordings and the editor until the user puts it away.
    NoticeBanner& notice() const { return *notice_; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showSelection();
    void fitEditor();
    void run(LibrarySidebar::Command command, const std::shared_ptr<const Recording>& recording);
    void setDropTargeted(bool targeted);

    AppCoordinator& coordinator_;
    std::shared_ptr<MainQueue> mainQueue_;
    DateText dates_;
    NoticeBanner* notice_;
    LibrarySidebar* sidebar_;
    QSplitter* split_;
    QStackedWidget* detail_;
    QLabel* noSelection_;
    RecordingDetailView* editor_ = nullptr;
    QWidget* dropOutline_;
};

}  // namespace brevanor
