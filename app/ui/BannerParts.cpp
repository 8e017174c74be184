#include "app/ui/BannerParts.h"

#include <QToolButton>

#include "app/ui/SymbolIconEngine.h"
#include "app/ui/UiText.h"

namespace brevanor::BannerParts {

void tintBackground(QWidget& banner, QColor colour) {
    banner.setAutoFillBackground(true);
    QPalette palette = banner.palette();
    colour.setAlphaF(0.12);
    palette.setColor(QPalette::Window, colour);
    banner.setPalette(palette);
}

QToolButton* dismissButton(QWidget* banner) {
    auto* dismiss = new QToolButton(banner);
    dismiss->setAutoRaise(true);
    dismiss->setIcon(
        SymbolIconEngine::icon(SymbolIconEngine::Symbol::close, banner->palette().color(QPalette::WindowText)));
    dismiss->setToolTip(UiText::tr("Dismiss"));
    dismiss->setAccessibleName(UiText::tr("Dismiss"));
    return dismiss;
}

}  // namespace brevanor::BannerParts
