#include "app/control/QtAppActivation.h"

#include <QApplication>
#include <QWidget>

namespace brevanor {

bool QtAppActivation::isActive() { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

void QtAppActivation::hide() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !window->isMinimized()) window->showMinimized();
    }
}

}  // namespace brevanor
