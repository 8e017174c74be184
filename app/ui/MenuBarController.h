#pragma once

#include <QIcon>
#include <QObject>
#include <memory>
#include <optional>

#include "base/keys/HotkeyChord.h"

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace brevanor {

class AppCoordinator;
class AppSettings;

// The application's icon in the system tray (StatusNotifierItem or the XEmbed
// tray, whichever the desktop offers). Its icon and tooltip follow the
// coordinator's state, blinking while a playback runs. Any click opens a menu
// built afresh from the current state, shortcuts and newest recordings; while
// playing, a left click stops the playback instead and a right click opens the
// menu. It only calls the coordinator's operations.
class MenuBarController : public QObject {
    Q_OBJECT

public:
    static constexpr int blinkIntervalMs = 500;
    static constexpr int recentRecordingCount = 5;

    MenuBarController(AppCoordinator& coordinator, AppSettings& settings, QObject* parent = nullptr);
    ~MenuBarController() override;

    QSystemTrayIcon& trayIcon() const { return *trayIcon_; }
    // The menu a right click shows (the desktop's tray may show it itself);
    // it is filled in again each time it is about to show.
    QMenu& contextMenu() const { return *contextMenu_; }
    // The menu a left click pops up under the pointer.
    QMenu& clickMenu() const { return *clickMenu_; }

private:
    void showState();
    void blink();
    void fillMenu(QMenu& menu);
    void clicked(int reason);
    void playRecording(const QString& id);

    AppCoordinator& coordinator_;
    AppSettings& settings_;
    QSystemTrayIcon* trayIcon_;
    // Menus are widgets, which no plain object can parent.
    std::unique_ptr<QMenu> contextMenu_;
    std::unique_ptr<QMenu> clickMenu_;
    QTimer* blinkTimer_;
    bool blinkFrame_ = false;
    const QIcon idleIcon_;
    const QIcon recordingIcon_;
    const QIcon preparingIcon_;
    const QIcon playingIcon_;
    const QIcon playingBlinkIcon_;
};

}  // namespace brevanor
