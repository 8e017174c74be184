#include "app/control/QtAppActivation.h"

#include <QApplication>
#include <QWidget>

namespace brevanor {

namespace {

// The windows the user works in; the tray icon and the status pill are
// windows to Qt as well, but stay where they are.
bool isOrdinaryWindow(const QWidget& window) {
    const Qt::WindowType type = window.windowType();
    return (type == Qt::Window || type == Qt::Dialog) && !window.windowFlags().testFlag(Qt::BypassWindowManagerHint);
}

}  // namespace

bool QtAppActivation::isActive() { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

void QtAppActivation::hide() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (isOrdinaryWindow(*window) && window->isVisible() && !window->isMinimized()) {
            window->hide();
            hidden_.emplace_back(window);
        }
    }
}

void QtAppActivation::showAgain() {
    for (const QPointer<QWidget>& window : hidden_) {
        if (!window) continue;
        window->show();
        window->raise();
        window->activateWindow();
    }
    hidden_.clear();
}

}  // namespace brevanor
