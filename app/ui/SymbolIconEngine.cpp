#include "app/ui/SymbolIconEngine.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>
#include <cmath>
#include <numbers>

namespace brevanor {

namespace {

// Each symbol as a filled outline on a 1 × 1 square.
QPainterPath shape(SymbolIconEngine::Symbol symbol) {
    using Symbol = SymbolIconEngine::Symbol;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const auto stroke = [&path](QPainterPath line, double width) {
        QPainterPathStroker stroker;
        stroker.setWidth(width);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        path.addPath(stroker.createStroke(line));
    };
    switch (symbol) {
        case Symbol::play:
            path.moveTo(0.25, 0.14);
            path.lineTo(0.86, 0.5);
            path.lineTo(0.25, 0.86);
            path.closeSubpath();
            break;
        case Symbol::stop: path.addRoundedRect(QRectF(0.2, 0.2, 0.6, 0.6), 0.08, 0.08); break;
        case Symbol::record: {
            QPainterPath ring;
            ring.addEllipse(QPointF(0.5, 0.5), 0.44, 0.44);
            QPainterPath inside;
            inside.addEllipse(QPointF(0.5, 0.5), 0.36, 0.36);
            path = ring.subtracted(inside);
            path.addEllipse(QPointF(0.5, 0.5), 0.22, 0.22);
            break;
        }
        case Symbol::gear: {
            QPainterPath wheel;
            wheel.addEllipse(QPointF(0.5, 0.5), 0.32, 0.32);
            for (int tooth = 0; tooth < 8; ++tooth) {
                QPainterPath block;
                block.addRoundedRect(QRectF(-0.08, -0.46, 0.16, 0.2), 0.03, 0.03);
                QTransform turn;
                turn.translate(0.5, 0.5);
                turn.rotate(45.0 * tooth);
                wheel = wheel.united(turn.map(block));
            }
            QPainterPath hole;
            hole.addEllipse(QPointF(0.5, 0.5), 0.13, 0.13);
            path = wheel.subtracted(hole);
            break;
        }
        case Symbol::importFile: {
            QPainterPath tray;
            tray.moveTo(0.14, 0.5);
            tray.lineTo(0.14, 0.86);
            tray.lineTo(0.86, 0.86);
            tray.lineTo(0.86, 0.5);
            stroke(tray, 0.09);
            QPainterPath arrow;
            arrow.moveTo(0.5, 0.1);
            arrow.lineTo(0.5, 0.62);
            arrow.moveTo(0.31, 0.44);
            arrow.lineTo(0.5, 0.63);
            arrow.lineTo(0.69, 0.44);
            stroke(arrow, 0.09);
            break;
        }
        case Symbol::lock: {
            path.addRoundedRect(QRectF(0.18, 0.44, 0.64, 0.48), 0.08, 0.08);
            QPainterPath shackle;
            shackle.moveTo(0.32, 0.46);
            shackle.lineTo(0.32, 0.32);
            shackle.arcTo(QRectF(0.32, 0.1, 0.36, 0.4), 180, -180);
            shackle.lineTo(0.68, 0.46);
            stroke(shackle, 0.09);
            break;
        }
        case Symbol::close: {
            QPainterPath cross;
            cross.moveTo(0.24, 0.24);
            cross.lineTo(0.76, 0.76);
            cross.moveTo(0.76, 0.24);
            cross.lineTo(0.24, 0.76);
            stroke(cross, 0.11);
            break;
        }
        case Symbol::warning: {
            QPainterPath triangle;
            triangle.moveTo(0.5, 0.06);
            triangle.lineTo(0.96, 0.9);
            triangle.lineTo(0.04, 0.9);
            triangle.closeSubpath();
            QPainterPath mark;
            mark.addRoundedRect(QRectF(0.455, 0.34, 0.09, 0.32), 0.04, 0.04);
            mark.addEllipse(QPointF(0.5, 0.77), 0.055, 0.055);
            path = triangle.subtracted(mark);
            break;
        }
    }
    return path;
}

}  // namespace

QIcon SymbolIconEngine::icon(Symbol symbol, const QColor& color) { return QIcon(new SymbolIconEngine(symbol, color)); }

SymbolIconEngine::SymbolIconEngine(Symbol symbol, QColor color) : symbol_(symbol), color_(color) {}

void SymbolIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) {
    const double side = std::min(rect.width(), rect.height());
    QColor color = color_;
    if (mode == QIcon::Disabled) color.setAlphaF(color.alphaF() * 0.35);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
    painter->scale(side, side);
    painter->setPen(Qt::NoPen);
    painter->setBrush(color);
    painter->drawPath(shape(symbol_));
    painter->restore();
}

QPixmap SymbolIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
}

QIconEngine* SymbolIconEngine::clone() const { return new SymbolIconEngine(*this); }

}  // namespace brevanor
