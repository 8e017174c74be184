#include "app/ui/OverlayController.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/ui/OverlayView.h"

namespace brevanor {

OverlayController::OverlayController(AppCoordinator& coordinator, AppSettings& settings, QObject* parent)
    : QObject(parent), coordinator_(coordinator), settings_(settings) {
    connect(&coordinator_, &AppCoordinator::stateChanged, this, &OverlayController::showOrHide);
    connect(&settings_, &AppSettings::showOverlayChanged, this, &OverlayController::showOrHide);
    showOrHide();
}

OverlayController::~OverlayController() = default;

void OverlayController::showOrHide() {
    if (!coordinator_.state().isIdle() && settings_.showOverlay()) {
        show();
    } else if (panel_) {
        panel_->hide();
    }
}

void OverlayController::show() {
    if (!panel_) {
        panel_ = std::make_unique<OverlayView>(coordinator_, settings_);
        // A tool window above the others that bypasses the window manager (so
        // nothing frames, focuses or moves it), never takes the focus, and has an
        // empty input shape, so clicks reach the window beneath.
        panel_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus |
                               Qt::WindowTransparentForInput);
        panel_->setAttribute(Qt::WA_ShowWithoutActivating);
        panel_->setAttribute(Qt::WA_TranslucentBackground);
        panel_->setFocusPolicy(Qt::NoFocus);
        // Without a compositor translucency is lost: the shape keeps the corners clear.
        QPainterPath capsule;
        capsule.addRoundedRect(QRectF(0, 0, OverlayView::pillWidth, OverlayView::pillHeight),
                               OverlayView::pillHeight / 2.0, OverlayView::pillHeight / 2.0);
        panel_->setMask(QRegion(capsule.toFillPolygon().toPolygon()));
    }
    if (!panel_->isVisible()) place();
    panel_->show();
    panel_->raise();  // in front again: a window the user raised meanwhile may cover it
}

void OverlayController::place() {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;  // no screen at all: it shows where it is
    const QRect usable = screen->availableGeometry();
    panel_->move(usable.x() + (usable.width() - OverlayView::pillWidth) / 2, usable.y() + topMargin);
}

}  // namespace brevanor
