#include "app/ui/NoticeBanner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "app/ui/SymbolIconEngine.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

NoticeBanner::NoticeBanner(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("notice"));
    setAutoFillBackground(true);
    QPalette banner = palette();
    QColor tint = palette().color(QPalette::Highlight);
    tint.setAlphaF(0.12);
    banner.setColor(QPalette::Window, tint);
    setPalette(banner);

    text_ = new QLabel(this);
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    TextStyle::callout(*text_);
    auto* dismiss = new QToolButton(this);
    dismiss->setAutoRaise(true);
    dismiss->setIcon(SymbolIconEngine::icon(SymbolIconEngine::Symbol::close, palette().color(QPalette::WindowText)));
    dismiss->setToolTip(UiText::tr("Dismiss"));
    dismiss->setAccessibleName(UiText::tr("Dismiss"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(text_, 1);
    layout->addWidget(dismiss, 0, Qt::AlignTop);

    connect(dismiss, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void NoticeBanner::show(const std::string& text) {
    text_->setText(UiText::of(text));
    QFrame::show();
}

QString NoticeBanner::text() const { return text_->text(); }

}  // namespace brevanor
