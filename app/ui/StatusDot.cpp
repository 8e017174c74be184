#include "app/ui/StatusDot.h"

#include <QPainter>

#include "app/ui/UiText.h"

namespace brevanor {

namespace {

// The system green and red of the platform the interface was drawn for; both
// read on light and dark themes.
const QColor kGreen(52, 199, 89);
const QColor kRed(255, 59, 48);

}  // namespace

StatusDot::StatusDot(int diameter, QWidget* parent) : QWidget(parent) { setFixedSize(diameter, diameter); }

void StatusDot::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void StatusDot::showGranted(bool granted) {
    setColor(granted ? kGreen : kRed);
    setAccessibleName(UiText::tr(granted ? "Granted" : "Not granted"));
}

void StatusDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    painter.drawEllipse(QRectF(rect()));
}

}  // namespace brevanor
