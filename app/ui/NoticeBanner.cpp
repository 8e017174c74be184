#include "app/ui/NoticeBanner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "app/ui/BannerParts.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

NoticeBanner::NoticeBanner(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("notice"));
    BannerParts::tintBackground(*this, palette().color(QPalette::Highlight));

    text_ = new QLabel(this);
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    TextStyle::callout(*text_);
    QToolButton* dismiss = BannerParts::dismissButton(this);

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
