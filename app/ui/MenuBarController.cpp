#include "app/ui/MenuBarController.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/control/MessageText.h"
#include "app/ui/AppIcon.h"
#include "app/ui/MenuShortcut.h"
#include "base/text/Localized.h"

namespace brevanor {

namespace {

QString q(const std::string& value) { return QString::fromStdString(value); }

QString text(std::string_view english) { return q(brevanor::tr(english)); }

// Widest a recording's name may be in the menu; longer names are cut with "…".
constexpr int kNameWidthPixels = 320;

// A recording's name as a menu item shows it: on one line, "&" as itself
// rather than a mnemonic marker, a tab not read as the start of a shortcut.
QString itemTitle(const std::string& name, const QFont& font) {
    QString title = q(name);
    for (QChar& c : title) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph) {
            c = QLatin1Char(' ');
        }
    }
    title = QFontMetrics(font).elidedText(title, Qt::ElideRight, kNameWidthPixels);
    title.replace(QLatin1Char('&'), QStringLiteral("&&"));
    // Menus on Linux have no indentation levels: an em space sets the recent ones in.
    return QChar(0x2003) + title;
}

// The timer symbol with the seconds left in a badge: tray icons have no title beside them.
QIcon countdownIcon(std::int64_t remaining) {
    constexpr int kSize = 64;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    appIcon(AppIcon::timer).paint(&painter, QRect(0, 0, kSize, kSize));
    const QRectF badge(kSize * 0.42, kSize * 0.42, kSize * 0.58, kSize * 0.58);
    painter.setPen(QPen(Qt::white, kSize / 32.0));
    painter.setBrush(QColor(0xe5, 0x39, 0x35));
    painter.drawEllipse(badge);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(static_cast<int>(badge.height() * (remaining > 9 ? 0.5 : 0.7)));
    painter.setFont(font);
    painter.drawText(badge, Qt::AlignCenter, QString::number(remaining));
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

MenuBarController::MenuBarController(AppCoordinator& coordinator, AppSettings& settings, QObject* parent)
    : QObject(parent),
      coordinator_(coordinator),
      settings_(settings),
      trayIcon_(new QSystemTrayIcon(this)),
      contextMenu_(std::make_unique<QMenu>()),
      clickMenu_(std::make_unique<QMenu>()),
      blinkTimer_(new QTimer(this)),
      idleIcon_(appIcon(AppIcon::application)),
      recordingIcon_(appIcon(AppIcon::recording)),
      preparingIcon_(appIcon(AppIcon::preparing)),
      playingIcon_(appIcon(AppIcon::playing)),
      playingBlinkIcon_(appIcon(AppIcon::playingBlink)) {
    blinkTimer_->setInterval(blinkIntervalMs);
    connect(blinkTimer_, &QTimer::timeout, this, &MenuBarController::blink);
    connect(contextMenu_.get(), &QMenu::aboutToShow, this, [this] { fillMenu(*contextMenu_); });
    trayIcon_->setContextMenu(contextMenu_.get());
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { clicked(reason); });
    connect(&coordinator_, &AppCoordinator::stateChanged, this, &MenuBarController::showState);
    fillMenu(*contextMenu_);  // a tray that reads the menu before it first opens finds it complete
    showState();
    trayIcon_->show();
}

MenuBarController::~MenuBarController() = default;

void MenuBarController::showState() {
    blinkTimer_->stop();
    blinkFrame_ = false;
    const AppState& state = coordinator_.state();
    switch (state.kind()) {
        case AppState::Kind::idle:
            trayIcon_->setIcon(idleIcon_);
            trayIcon_->setToolTip(QStringLiteral("Brevanor"));
            break;
        case AppState::Kind::countdown:
            trayIcon_->setIcon(countdownIcon(state.remaining()));
            trayIcon_->setToolTip(
                q(fillIn(brevanor::tr("Recording starts in %1 s"), {std::to_string(state.remaining())})));
            break;
        case AppState::Kind::recording:
            trayIcon_->setIcon(recordingIcon_);
            trayIcon_->setToolTip(text("Recording — click for options"));
            break;
        case AppState::Kind::preparing:
            trayIcon_->setIcon(preparingIcon_);
            trayIcon_->setToolTip(text("Preparing playback"));
            break;
        case AppState::Kind::playing: {
            const std::string total = state.repeatTotal() ? std::to_string(*state.repeatTotal()) : "∞";
            trayIcon_->setIcon(playingIcon_);
            trayIcon_->setToolTip(q(fillIn(brevanor::tr("Playing %1 of %2 — click to stop"),
                                           {std::to_string(state.repeatIndex()), total})));
            blinkTimer_->start();
            break;
        }
    }
}

void MenuBarController::blink() {
    blinkFrame_ = !blinkFrame_;
    trayIcon_->setIcon(blinkFrame_ ? playingBlinkIcon_ : playingIcon_);
}

void MenuBarController::clicked(int reason) {
    if (reason != QSystemTrayIcon::Trigger) return;  // a right click opens the context menu by itself
    if (coordinator_.state().kind() == AppState::Kind::playing) {
        coordinator_.stop();
        return;
    }
    fillMenu(*clickMenu_);
    clickMenu_->popup(QCursor::pos());
}

void MenuBarController::fillMenu(QMenu& menu) {
    menu.clear();
    const AppState& state = coordinator_.state();
    const bool idle = state.isIdle();
    const bool busyPlaying = state.kind() == AppState::Kind::playing || state.kind() == AppState::Kind::preparing;

    // The key equivalents only show the global shortcuts, which act on their own;
    // bound to the menu alone, they never fire twice.
    auto addItem = [&](const QString& title, const std::optional<HotkeyChord>& chord, bool enabled, auto action) {
        QAction* item = menu.addAction(title);
        if (chord) {
            MenuShortcut::show(*item, *chord, coordinator_.shortcutText(*chord),
                               coordinator_.shortcutText(HotkeyChord{chord->keyCode, 0}));
        }
        item->setEnabled(enabled);
        connect(item, &QAction::triggered, this, action);
        return item;
    };

    const char* recordTitle = state.kind() == AppState::Kind::countdown   ? "Start Recording Now"
                              : state.kind() == AppState::Kind::recording ? "Stop Recording"
                                                                          : "Record";
    addItem(text(recordTitle), settings_.recordHotkey(), !busyPlaying, [this] { coordinator_.toggleRecording(); });
    addItem(text("Play Last Recording"), settings_.playLastHotkey(), idle && coordinator_.lastRecording(), [this] {
        if (const auto last = coordinator_.lastRecording()) coordinator_.play(*last);
    });
    addItem(text("Stop"), settings_.stopHotkey(), !idle, [this] { coordinator_.stop(); });

    const RecordingList& recordings = coordinator_.recordings();
    if (!recordings.empty()) {
        menu.addSeparator();
        menu.addAction(text("Recent Recordings"))->setEnabled(false);
        for (std::size_t i = 0; i < recordings.size() && i < recentRecordingCount; ++i) {
            const Recording& recording = *recordings[i];
            const QString id = q(recording.id.toString());
            QAction* item = addItem(itemTitle(recording.name, menu.font()), recording.settings.playHotkey, idle,
                                    [this, id] { playRecording(id); });
            item->setData(id);
        }
    }

    menu.addSeparator();
    addItem(text("Open Library…"), std::nullopt, true, [this] {
        if (coordinator_.openLibrary) coordinator_.openLibrary();
    });
    addItem(text("Settings…"), std::nullopt, true, [this] {
        if (coordinator_.openSettings) coordinator_.openSettings();
    });
    menu.addSeparator();
    QAction* quit = addItem(text("Quit Brevanor"), std::nullopt, true, [] { QCoreApplication::quit(); });
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::WidgetShortcut);
}

void MenuBarController::playRecording(const QString& id) {
    const std::optional<Uuid> wanted = Uuid::parse(id.toStdString());
    if (!wanted) return;
    for (const auto& recording : coordinator_.recordings()) {
        if (recording->id == *wanted) {
            coordinator_.play(*recording);
            return;
        }
    }
}

}  // namespace brevanor
