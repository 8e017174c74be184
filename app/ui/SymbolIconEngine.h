#pragma once

#include <QColor>
#include <QIcon>
#include <QIconEngine>

namespace brevanor {

// The small symbols of the library window, drawn as vector shapes in one
// colour at whatever size an icon is shown, so they stay sharp on every screen
// and need no icon theme.
class SymbolIconEngine final : public QIconEngine {
public:
    enum class Symbol { play, stop, record, gear, importFile, lock, close, warning };

    // The symbol in `color`; disabled buttons show it faded.
    static QIcon icon(Symbol symbol, const QColor& color);

    SymbolIconEngine(Symbol symbol, QColor color);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;

private:
    Symbol symbol_;
    QColor color_;
};

}  // namespace brevanor
