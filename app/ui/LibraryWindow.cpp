#include "app/ui/LibraryWindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "core/model/Localized.h"

namespace brevanor {

namespace {

QString q(const std::string& value) { return QString::fromStdString(value); }

// A user-visible text, through the translation lookup.
QString text(std::string_view english) { return q(brevanor::tr(english)); }

QString stateText(const AppCoordinator& coordinator) {
    const AppState& state = coordinator.state();
    switch (state.kind()) {
        case AppState::Kind::idle: return text("Ready");
        case AppState::Kind::countdown: return text("Recording in") + QStringLiteral(" %1…").arg(state.remaining());
        case AppState::Kind::recording:
            return text("Recording") + QStringLiteral(" — %1 ").arg(coordinator.recordedEventCount()) + text("events");
        case AppState::Kind::preparing: return text("Preparing playback…");
        case AppState::Kind::playing: {
            QString playing = text("Playing") + QStringLiteral(" %1").arg(state.repeatIndex());
            if (state.repeatTotal()) playing += QStringLiteral(" / %1").arg(*state.repeatTotal());
            return playing;
        }
    }
    return {};
}

}  // namespace

LibraryWindow::LibraryWindow(AppCoordinator& coordinator, AppSettings& settings)
    : coordinator_(coordinator), settings_(settings) {
    setWindowTitle(QStringLiteral("Brevanor"));
    setMinimumSize(760, 460);
    resize(900, 560);
    setAcceptDrops(true);

    permissionBanner_ = new QLabel(this);
    permissionBanner_->setWordWrap(true);
    auto* setUp = new QPushButton(text("Open Setup Assistant…"), this);
    errorBanner_ = new QLabel(this);
    errorBanner_->setWordWrap(true);
    errorBanner_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    dismissError_ = new QPushButton(text("Dismiss"), this);
    status_ = new QLabel(this);
    list_ = new QListWidget(this);
    record_ = new QPushButton(this);
    play_ = new QPushButton(text("Play"), this);
    auto* stop = new QPushButton(text("Stop"), this);
    auto* import = new QPushButton(text("Import…"), this);
    auto* exportButton = new QPushButton(text("Export…"), this);
    auto* duplicate = new QPushButton(text("Duplicate"), this);
    auto* remove = new QPushButton(text("Delete"), this);
    auto* openSettings = new QPushButton(text("Settings"), this);
    auto* quit = new QPushButton(text("Quit Brevanor"), this);

    auto* errorRow = new QHBoxLayout;
    errorRow->addWidget(errorBanner_, 1);
    errorRow->addWidget(dismissError_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {record_, play_, stop, import, exportButton, duplicate, remove}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    buttons->addWidget(openSettings);
    buttons->addWidget(quit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(permissionBanner_);
    layout->addWidget(setUp);
    layout->addLayout(errorRow);
    layout->addWidget(status_);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(setUp, &QPushButton::clicked, this, [this] {
        if (coordinator_.openOnboarding) coordinator_.openOnboarding();
    });
    connect(dismissError_, &QPushButton::clicked, this, [this] { coordinator_.clearErrorMessage(); });
    connect(record_, &QPushButton::clicked, this, [this] { coordinator_.toggleRecording(); });
    connect(stop, &QPushButton::clicked, this, [this] { coordinator_.stop(); });
    connect(play_, &QPushButton::clicked, this, [this] {
        if (auto recording = selectedRecording()) coordinator_.play(*recording);
    });
    connect(list_, &QListWidget::itemDoubleClicked, play_, &QPushButton::click);
    connect(import, &QPushButton::clicked, this, &LibraryWindow::chooseFilesToImport);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (auto recording = selectedRecording()) coordinator_.exportRecording(*recording);
    });
    connect(duplicate, &QPushButton::clicked, this, [this] {
        if (auto recording = selectedRecording()) coordinator_.duplicate(*recording);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (auto recording = selectedRecording()) coordinator_.deleteRecording(*recording);
    });
    connect(openSettings, &QPushButton::clicked, this, [this] {
        if (coordinator_.openSettings) coordinator_.openSettings();
    });
    connect(quit, &QPushButton::clicked, qApp, &QCoreApplication::quit);

    connect(&coordinator_, &AppCoordinator::recordingsChanged, this, &LibraryWindow::showRecordings);
    for (auto signal : {&AppCoordinator::errorMessageChanged, &AppCoordinator::accessibilityGrantedChanged,
                        &AppCoordinator::inputMonitoringGrantedChanged}) {
        connect(&coordinator_, signal, this, &LibraryWindow::showBanners);
    }
    for (auto signal : {&AppCoordinator::stateChanged, &AppCoordinator::recordedEventCountChanged}) {
        connect(&coordinator_, signal, this, &LibraryWindow::showState);
    }
    connect(&settings_, &AppSettings::recordHotkeyChanged, this, &LibraryWindow::showState);
    showRecordings();
    showBanners();
    showState();
}

void LibraryWindow::showRecordings() {
    const std::shared_ptr<const Recording> previous = selectedRecording();
    list_->clear();
    for (const auto& recording : coordinator_.recordings()) {
        const auto seconds = static_cast<double>(recording->trimmedDurationNanos()) / 1e9;
        const QString summary =
            QStringLiteral("%1 s • %2 ").arg(seconds, 0, 'f', 1).arg(recording->eventCount()) + text("events");
        auto* item = new QListWidgetItem(q(recording->name) + QStringLiteral("\n") + summary, list_);
        item->setData(Qt::UserRole, q(recording->id.toString()));
        if (previous && previous->id == recording->id) list_->setCurrentItem(item);
    }
    // The newest recording is selected when the selection went away.
    if (!list_->currentItem() && list_->count() > 0) list_->setCurrentRow(0);
}

void LibraryWindow::showBanners() {
    const auto missing = coordinator_.permissionMessage();
    permissionBanner_->setVisible(missing.has_value());
    permissionBanner_->setText(missing ? q(*missing) : QString());
    const auto& error = coordinator_.errorMessage();
    errorBanner_->setVisible(error.has_value());
    dismissError_->setVisible(error.has_value());
    errorBanner_->setText(error ? q(*error) : QString());
}

void LibraryWindow::showState() {
    status_->setText(stateText(coordinator_));
    const bool recording = coordinator_.state().kind() == AppState::Kind::recording;
    record_->setText(q(recording ? brevanor::tr("Stop") : brevanor::tr("Record")));
    record_->setToolTip(q(coordinator_.shortcutText(settings_.recordHotkey())));
    play_->setEnabled(coordinator_.state().isIdle());
}

std::shared_ptr<const Recording> LibraryWindow::selectedRecording() const {
    const QListWidgetItem* item = list_->currentItem();
    if (!item) return nullptr;
    const auto id = Uuid::parse(item->data(Qt::UserRole).toString().toStdString());
    for (const auto& recording : coordinator_.recordings()) {
        if (recording->id == id) return recording;
    }
    return nullptr;
}

void LibraryWindow::chooseFilesToImport() {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, text("Import Recordings"), QString(), text("Brevanor recordings") + QStringLiteral(" (*.macro *.json)"));
    std::vector<std::filesystem::path> paths;
    for (const QString& file : files) paths.emplace_back(file.toStdString());
    if (!paths.empty()) coordinator_.importFiles(paths);
}

void LibraryWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void LibraryWindow::dropEvent(QDropEvent* event) {
    bool anyFile = false;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        anyFile = true;
        coordinator_.importFiles({std::filesystem::path(url.toLocalFile().toStdString())});
    }
    if (anyFile) event->acceptProposedAction();
}

}  // namespace brevanor
