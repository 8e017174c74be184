#include "app/ui/LibrarySidebar.h"

#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/control/MessageText.h"
#include "app/ui/ErrorBanner.h"
#include "app/ui/PermissionBanner.h"
#include "app/ui/RecordingListModel.h"
#include "app/ui/RecordingRowDelegate.h"
#include "app/ui/SymbolIconEngine.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"
#include "base/keys/KeyCodeNames.h"
#include "base/text/Localized.h"

namespace brevanor {

namespace {

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QToolButton* headerButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

}  // namespace

LibrarySidebar::LibrarySidebar(AppCoordinator& coordinator, AppSettings& settings, Permissions permissions,
                               DateText dates, QWidget* parent)
    : QWidget(parent), coordinator_(coordinator), settings_(settings) {
    model_ = new RecordingListModel(
        [&coordinator](const HotkeyChord& chord) { return coordinator.shortcutText(chord); }, std::move(dates), this);
    delegate_ = new RecordingRowDelegate(this);
    errorBanner_ = new ErrorBanner(this);
    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("recordings"));
    list_->setModel(model_);
    list_->setItemDelegate(delegate_);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setMouseTracking(true);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    content_ = new QStackedWidget(this);
    content_->addWidget(makeEmptyState());
    content_->addWidget(list_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* permissionBanner = new PermissionBanner(coordinator_, std::move(permissions), this);
    auto* permissionDivider = divider(this);
    layout->addWidget(permissionBanner);
    layout->addWidget(permissionDivider);
    auto* errorDivider = divider(this);
    layout->addWidget(errorBanner_);
    layout->addWidget(errorDivider);
    layout->addWidget(makeHeader());
    layout->addWidget(divider(this));
    layout->addWidget(content_, 1);

    // Each banner's divider comes and goes with it.
    const auto showPermissionDivider = [permissionBanner, permissionDivider] {
        permissionDivider->setVisible(!permissionBanner->isHidden());
    };
    for (auto signal : {&AppCoordinator::accessibilityGrantedChanged, &AppCoordinator::inputMonitoringGrantedChanged}) {
        connect(&coordinator_, signal, this, showPermissionDivider);
    }
    showPermissionDivider();
    const auto showError = [this, errorDivider] {
        errorBanner_->setMessage(coordinator_.errorMessage());
        errorDivider->setVisible(coordinator_.errorMessage().has_value());
    };
    connect(&coordinator_, &AppCoordinator::errorMessageChanged, this, showError);
    showError();
    connect(errorBanner_, &ErrorBanner::dismissed, &coordinator_, &AppCoordinator::clearErrorMessage);

    connect(&coordinator_, &AppCoordinator::recordingsChanged, this, &LibrarySidebar::followRecordings);
    connect(&coordinator_, &AppCoordinator::stateChanged, this, &LibrarySidebar::showState);
    connect(&settings_, &AppSettings::recordHotkeyChanged, this, &LibrarySidebar::showRecordShortcut);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (following_) return;
        const QModelIndexList rows = list_->selectionModel()->selectedRows();
        std::optional<Uuid> chosen;
        if (!rows.isEmpty()) chosen = model_->recording(rows.front().row())->id;
        if (chosen == selection_) return;
        selection_ = chosen;
        emit selectionChanged();
    });
    connect(list_, &QListView::customContextMenuRequested, this, &LibrarySidebar::showContextMenu);
    connect(delegate_, &RecordingRowDelegate::playRequested, this, [this](const QModelIndex& index) {
        if (auto recording = model_->recording(index.row())) emit commandRequested(Command::play, recording);
    });

    followRecordings();
    showState();
    showRecordShortcut();
}

QWidget* LibrarySidebar::makeHeader() {
    auto* header = new QWidget(this);
    auto* title = new QLabel(UiText::tr("Recordings"), header);
    TextStyle::headline(*title);
    record_ = headerButton(header);
    record_->setObjectName(QStringLiteral("record"));
    auto* import = headerButton(header);
    import->setText(UiText::tr("Import…"));
    import->setIcon(
        SymbolIconEngine::icon(SymbolIconEngine::Symbol::importFile, palette().color(QPalette::ButtonText)));
    auto* openSettings = headerButton(header);
    openSettings->setToolButtonStyle(Qt::ToolButtonIconOnly);
    openSettings->setIcon(
        SymbolIconEngine::icon(SymbolIconEngine::Symbol::gear, palette().color(QPalette::ButtonText)));
    openSettings->setToolTip(UiText::tr("Settings"));
    openSettings->setAccessibleName(UiText::tr("Settings"));
    // Control + comma here is Command + comma on macOS, where Qt swaps the two.
    openSettings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));

    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(record_);
    layout->addWidget(import);
    layout->addWidget(openSettings);

    connect(record_, &QToolButton::clicked, this, [this] { coordinator_.toggleRecording(); });
    connect(import, &QToolButton::clicked, this, &LibrarySidebar::chooseFilesToImport);
    connect(openSettings, &QToolButton::clicked, this, [this] {
        if (coordinator_.openSettings) coordinator_.openSettings();
    });
    return header;
}

QWidget* LibrarySidebar::makeEmptyState() {
    auto* empty = new QWidget(this);
    auto* symbol = new QLabel(empty);
    TextStyle::secondary(*symbol);
    symbol->setPixmap(
        SymbolIconEngine::icon(SymbolIconEngine::Symbol::record, symbol->palette().color(QPalette::WindowText))
            .pixmap(QSize(40, 40), devicePixelRatioF()));
    auto* title = new QLabel(UiText::tr("No recordings yet"), empty);
    TextStyle::headline(*title);
    emptyHint_ = new QLabel(empty);
    emptyHint_->setWordWrap(true);
    emptyHint_->setAlignment(Qt::AlignHCenter);
    TextStyle::callout(*emptyHint_);
    TextStyle::secondary(*emptyHint_);
    auto* drop = new QLabel(UiText::tr("Drop .macro files here to import them."), empty);
    TextStyle::caption(*drop);
    TextStyle::tertiary(*drop);

    auto* layout = new QVBoxLayout(empty);
    layout->setSpacing(10);
    layout->addStretch(1);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    // The full width, centred by its text: a wrapped label aligned in the layout
    // gets the height of a narrower text and loses its last lines.
    layout->addWidget(emptyHint_);
    layout->addWidget(drop, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return empty;
}

std::shared_ptr<const Recording> LibrarySidebar::selectedRecording() const {
    if (!selection_) return nullptr;
    const std::optional<int> row = model_->row(*selection_);
    return row ? model_->recording(*row) : nullptr;
}

void LibrarySidebar::select(const Uuid& id) {
    if (const std::optional<int> row = model_->row(id)) selectRow(row);
}

void LibrarySidebar::followRecordings() {
    following_ = true;
    model_->follow(coordinator_.recordings());
    following_ = false;
    content_->setCurrentWidget(model_->rowCount() == 0 ? content_->widget(0) : list_);
    keepSelection();
}

void LibrarySidebar::keepSelection() {
    std::optional<int> row = selection_ ? model_->row(*selection_) : std::nullopt;
    if (!row && model_->rowCount() > 0) row = 0;
    selectRow(row);
}

void LibrarySidebar::selectRow(std::optional<int> row) {
    following_ = true;
    QItemSelectionModel& selection = *list_->selectionModel();
    if (row) {
        selection.setCurrentIndex(model_->index(*row), QItemSelectionModel::ClearAndSelect);
    } else {
        selection.clear();
    }
    following_ = false;
    const std::optional<Uuid> chosen = row ? std::optional<Uuid>(model_->recording(*row)->id) : std::nullopt;
    if (chosen == selection_) return;
    selection_ = chosen;
    emit selectionChanged();
}

void LibrarySidebar::showState() {
    const AppState& state = coordinator_.state();
    const bool recording = state.kind() == AppState::Kind::recording;
    record_->setText(recording ? UiText::tr("Stop") : UiText::tr("Record"));
    record_->setIcon(
        SymbolIconEngine::icon(recording ? SymbolIconEngine::Symbol::stop : SymbolIconEngine::Symbol::record,
                               palette().color(QPalette::ButtonText)));
    delegate_->setPlayEnabled(state.isIdle());
    list_->viewport()->update();
}

void LibrarySidebar::showRecordShortcut() {
    const std::string shortcut = coordinator_.shortcutText(settings_.recordHotkey());
    record_->setToolTip(UiText::of(shortcut));
    emptyHint_->setText(UiText::of(fillIn(
        brevanor::tr(
            "Press %1 anywhere to start recording after a short countdown. Press it again, or hold %2, to stop."),
        {shortcut, KeyCodeNames::name(HotkeyChord::escapeKeyCode, nullptr)})));
}

void LibrarySidebar::showContextMenu(const QPoint& position) {
    const QModelIndex index = list_->indexAt(position);
    std::shared_ptr<const Recording> recording = model_->recording(index.row());
    if (!index.isValid() || !recording) return;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [this, menu, recording](const char* title, Command command) {
        QAction* action = menu->addAction(UiText::tr(title));
        connect(action, &QAction::triggered, this,
                [this, command, recording] { emit commandRequested(command, recording); });
        return action;
    };
    add("Play", Command::play)->setEnabled(coordinator_.state().isIdle());
    add("Duplicate", Command::duplicate);
    add("Export…", Command::exportFile);
    menu->addSeparator();
    add("Delete", Command::remove);
    menu->popup(list_->viewport()->mapToGlobal(position));
}

void LibrarySidebar::chooseFilesToImport() {
    auto* dialog = new QFileDialog(this, UiText::tr("Import Recordings"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilter(UiText::tr("Recordings") + QStringLiteral(" (*.macro *.json)"));
    connect(dialog, &QFileDialog::filesSelected, this, [this](const QStringList& files) {
        std::vector<std::filesystem::path> paths;
        for (const QString& file : files) paths.emplace_back(file.toStdString());
        coordinator_.importFiles(paths);
    });
    dialog->open();
}

}  // namespace brevanor
