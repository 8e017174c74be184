#pragma once

#include <QColor>

class QToolButton;
class QWidget;

namespace brevanor {

// What the library window's banners share: a faint wash of their colour
// behind them, and the small button that puts them away.
namespace BannerParts {

void tintBackground(QWidget& banner, QColor colour);
// A flat "Dismiss" button with a close symbol; the caller connects it.
QToolButton* dismissButton(QWidget* banner);

}  // namespace BannerParts

}  // namespace brevanor
