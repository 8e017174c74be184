#include "app/ui/LibraryWindow.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/control/AppSettings.h"
#include "app/ui/NoticeBanner.h"
#include "app/ui/RecordingDetailView.h"
#include "app/ui/RecordingListModel.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"
#include "app/ui/WindowFrameAutosave.h"

namespace brevanor {

namespace {

constexpr int kSidebarMinimumWidth = 300;
// Narrower than the sidebar's ideal 380 px at first, so that the editor beside
// it (its playback grid needs about 540 px) fits the first window size without
// scrolling sideways.
constexpr int kSidebarFirstWidth = 320;
constexpr int kSidebarMaximumWidth = 560;
constexpr int kDetailMinimumWidth = 400;
constexpr int kDropOutlineInset = 4;

// The dragged items that are files, in their order.
std::vector<std::filesystem::path> droppedFiles(const QMimeData& data) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdString());
    }
    return files;
}

}  // namespace

LibraryWindow::LibraryWindow(AppCoordinator& coordinator, AppSettings& settings,
                             const AppCoordinator::Services& services, std::shared_ptr<PreferencesStore> preferences,
                             DateText dates)
    : coordinator_(coordinator), mainQueue_(services.mainQueue), dates_(dates) {
    setWindowTitle(QStringLiteral("Brevanor"));
    setMinimumSize(760, 460);
    resize(900, 560);
    setAcceptDrops(true);

    sidebar_ = new LibrarySidebar(coordinator_, settings, Permissions(services.platform.permissions), dates_, this);
    sidebar_->setMinimumWidth(kSidebarMinimumWidth);
    sidebar_->setMaximumWidth(kSidebarMaximumWidth);
    detail_ = new QStackedWidget(this);
    detail_->setMinimumWidth(kDetailMinimumWidth);
    noSelection_ = new QLabel(UiText::tr("Select a recording to see its settings."), detail_);
    noSelection_->setAlignment(Qt::AlignCenter);
    TextStyle::secondary(*noSelection_);
    detail_->addWidget(noSelection_);

    split_ = new QSplitter(Qt::Horizontal, this);
    split_->setChildrenCollapsible(false);
    split_->addWidget(sidebar_);
    split_->addWidget(detail_);
    split_->setStretchFactor(1, 1);
    split_->setSizes({kSidebarFirstWidth, width() - kSidebarFirstWidth});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    notice_ = new NoticeBanner(this);
    layout->addWidget(notice_);
    layout->addWidget(split_, 1);  // the notice takes only the height of its text

    dropOutline_ = new QFrame(this);
    dropOutline_->setObjectName(QStringLiteral("dropOutline"));
    dropOutline_->setAttribute(Qt::WA_TransparentForMouseEvents);
    dropOutline_->setStyleSheet(QStringLiteral("#dropOutline { border: 2px solid %1; border-radius: 8px; }")
                                    .arg(palette().color(QPalette::Highlight).name()));
    dropOutline_->hide();

    connect(sidebar_, &LibrarySidebar::selectionChanged, this, &LibraryWindow::showSelection);
    connect(sidebar_, &LibrarySidebar::commandRequested, this, &LibraryWindow::run);
    showSelection();
    new WindowFrameAutosave(*this, std::move(preferences), frameAutosaveName);
}

LibraryWindow::~LibraryWindow() {
    if (editor_) editor_->flush();
}

void LibraryWindow::showSelection() {
    const std::shared_ptr<const Recording> selected = sidebar_->selectedRecording();
    if (editor_ && selected && editor_->draft().id == selected->id) return;
    if (editor_) {
        // Leaving a recording saves what its editor holds, unless the recording is gone.
        if (sidebar_->model().row(editor_->draft().id)) {
            editor_->flush();
        } else {
            editor_->discard();
        }
        detail_->removeWidget(editor_);
        // It may be what asked for this change (a delete from it): it goes once that is done.
        editor_->deleteLater();
        editor_ = nullptr;
    }
    if (!selected) {
        detail_->setCurrentWidget(noSelection_);
        return;
    }
    editor_ = new RecordingDetailView(coordinator_, mainQueue_, *selected, dates_, detail_);
    // Files dropped on any control are the window's to import.
    editor_->setAcceptDrops(false);
    for (QWidget* control : editor_->findChildren<QWidget*>()) control->setAcceptDrops(false);
    detail_->addWidget(editor_);
    detail_->setCurrentWidget(editor_);
    fitEditor();
}

void LibraryWindow::fitEditor() {
    // The editor never scrolls sideways: neither its pane nor the window gets
    // narrower than its content (the playback grid's width depends on the font).
    const int needed = editor_->widget()->minimumSizeHint().width() + editor_->verticalScrollBar()->sizeHint().width() +
                       2 * editor_->frameWidth();
    detail_->setMinimumWidth(std::max(kDetailMinimumWidth, needed));
    setMinimumWidth(std::max(minimumWidth(), kSidebarMinimumWidth + split_->handleWidth() + detail_->minimumWidth()));
}

void LibraryWindow::run(LibrarySidebar::Command command, const std::shared_ptr<const Recording>& recording) {
    if (command == LibrarySidebar::Command::remove) {
        // An editor of this recording goes with it, its changes unsaved (showSelection()).
        coordinator_.deleteRecording(*recording);
        return;
    }
    // The editor of this recording may hold newer changes than the list: they go first.
    const bool edited = editor_ && editor_->draft().id == recording->id;
    if (edited) editor_->flush();
    const Recording current = edited ? editor_->draft() : *recording;
    switch (command) {
        case LibrarySidebar::Command::play: coordinator_.play(current); break;
        case LibrarySidebar::Command::duplicate: coordinator_.duplicate(current); break;
        case LibrarySidebar::Command::exportFile: coordinator_.exportRecording(current); break;
        case LibrarySidebar::Command::remove: break;
    }
}

void LibraryWindow::setDropTargeted(bool targeted) {
    dropOutline_->setVisible(targeted);
    if (targeted) dropOutline_->raise();
}

void LibraryWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedFiles(*event->mimeData()).empty()) return;  // a web link, some text: refused
    event->acceptProposedAction();
    setDropTargeted(true);
}

void LibraryWindow::dragLeaveEvent(QDragLeaveEvent*) { setDropTargeted(false); }

void LibraryWindow::dropEvent(QDropEvent* event) {
    setDropTargeted(false);
    std::vector<std::filesystem::path> files = droppedFiles(*event->mimeData());
    if (files.empty()) return;
    event->acceptProposedAction();
    // After the drop has been answered, so the other application does not wait
    // for the imports; each file is imported, reported and listed on its own.
    QMetaObject::invokeMethod(
        this,
        [this, files = std::move(files)] {
            for (const std::filesystem::path& file : files) coordinator_.importFiles({file});
        },
        Qt::QueuedConnection);
}

void LibraryWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dropOutline_->setGeometry(
        rect().adjusted(kDropOutlineInset, kDropOutlineInset, -kDropOutlineInset, -kDropOutlineInset));
}

}  // namespace brevanor
