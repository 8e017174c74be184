#include "app/ui/ErrorBanner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "app/ui/BannerParts.h"
#include "app/ui/SymbolIconEngine.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

namespace {

const QColor kOrange(255, 149, 0);

}  // namespace

ErrorBanner::ErrorBanner(QWidget* parent) : QFrame(parent) {
    BannerParts::tintBackground(*this, kOrange);

    auto* icon = new QLabel(this);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    TextStyle::callout(*message_);
    const int side = message_->fontMetrics().height();
    icon->setPixmap(SymbolIconEngine::icon(SymbolIconEngine::Symbol::warning, kOrange)
                        .pixmap(QSize(side, side), devicePixelRatioF()));
    QToolButton* dismiss = BannerParts::dismissButton(this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(message_, 1);
    layout->addWidget(dismiss, 0, Qt::AlignTop);

    connect(dismiss, &QToolButton::clicked, this, &ErrorBanner::dismissed);
    setMessage(std::nullopt);
}

void ErrorBanner::setMessage(const std::optional<std::string>& message) {
    message_->setText(message ? UiText::of(*message) : QString());
    setVisible(message.has_value());
}

}  // namespace brevanor
