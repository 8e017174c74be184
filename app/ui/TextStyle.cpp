#include "app/ui/TextStyle.h"

#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace brevanor {

namespace {

void scaleFont(QWidget& widget, double factor) {
    QFont font = widget.font();
    font.setPointSizeF(font.pointSizeF() * factor);
    widget.setFont(font);
}

void dim(QWidget& widget, int alpha) {
    QPalette palette = widget.palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlpha(alpha);
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget.setPalette(palette);
}

}  // namespace

void TextStyle::title(QWidget& widget) {
    scaleFont(widget, 1.7);
    headline(widget);
}

void TextStyle::title2(QWidget& widget) {
    scaleFont(widget, 1.35);
    headline(widget);
}

void TextStyle::headline(QWidget& widget) {
    QFont font = widget.font();
    font.setBold(true);
    widget.setFont(font);
}

void TextStyle::callout(QWidget& widget) { scaleFont(widget, 0.92); }

void TextStyle::caption(QWidget& widget) { scaleFont(widget, 0.85); }

// Alpha values as the common desktop themes dim their secondary labels.
void TextStyle::secondary(QWidget& widget) { dim(widget, 160); }

void TextStyle::tertiary(QWidget& widget) { dim(widget, 110); }

void TextStyle::monospacedDigits(QWidget& widget) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(widget.font().pointSizeF());
    widget.setFont(font);
}

}  // namespace brevanor
