#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "core/checks/Permissions.h"
#include "core/model/DateText.h"
#include "core/model/Recording.h"

class QLabel;
class QListView;
class QStackedWidget;
class QToolButton;

namespace brevanor {

class AppCoordinator;
class AppSettings;
class ErrorBanner;
class RecordingListModel;
class RecordingRowDelegate;

// The library window's left column: the permission and error banners, the
// header (record, import, settings), and the recordings or, without any, how
// to make one. It keeps one recording selected while there are any: the
// selection stays on its recording across changes of the list, and moves to
// the newest when its recording goes away.
class LibrarySidebar : public QWidget {
    Q_OBJECT

public:
    // What a row's context menu or play button asks for.
    enum class Command { play, duplicate, exportFile, remove };

    LibrarySidebar(AppCoordinator& coordinator, AppSettings& settings, Permissions permissions,
                   DateText dates = DateText(), QWidget* parent = nullptr);

    // The selected recording as the list shows it; null when none is selected.
    std::shared_ptr<const Recording> selectedRecording() const;
    // Selects the recording with `id`, if the list has it.
    void select(const Uuid& id);

    QListView& list() const { return *list_; }
    RecordingListModel& model() const { return *model_; }

signals:
    void selectionChanged();
    // The command is the window's to carry out: it knows the recording's editor.
    void commandRequested(brevanor::LibrarySidebar::Command command,
                          std::shared_ptr<const brevanor::Recording> recording);

private:
    QWidget* makeHeader();
    QWidget* makeEmptyState();
    void followRecordings();
    void keepSelection();
    void selectRow(std::optional<int> row);
    void showState();
    void showRecordShortcut();
    void showContextMenu(const QPoint& position);
    void chooseFilesToImport();

    AppCoordinator& coordinator_;
    AppSettings& settings_;
    RecordingListModel* model_;
    RecordingRowDelegate* delegate_;
    ErrorBanner* errorBanner_;
    QToolButton* record_;
    QLabel* emptyHint_;
    QStackedWidget* content_;
    QListView* list_;
    std::optional<Uuid> selection_;
    // Set while the list follows the library: the view's selection passes
    // through neighbours then, which are no choice of the user's.
    bool following_ = false;
};

}  // namespace brevanor
