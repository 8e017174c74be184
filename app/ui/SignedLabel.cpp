#include "app/ui/SignedLabel.h"

#include <QHBoxLayout>
#include <QLabel>

namespace brevanor {

SignedLabel::SignedLabel(AppIcon sign, const QString& text, std::initializer_list<Style> styles, QWidget* parent)
    : QWidget(parent), sign_(new QLabel(this)), text_(new QLabel(text, this)) {
    text_->setWordWrap(true);
    for (Style style : styles) style(*text_);
    const int size = text_->fontMetrics().height();
    sign_->setPixmap(appIcon(sign).pixmap(QSize(size, size), devicePixelRatioF()));
    sign_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(size / 2);
    layout->addWidget(sign_, 0, Qt::AlignTop);
    layout->addWidget(text_, 1);
}

QString SignedLabel::text() const { return text_->text(); }

void SignedLabel::setText(const QString& text) { text_->setText(text); }

void SignedLabel::setTextColor(const QColor& color) {
    QPalette palette = text_->palette();
    palette.setColor(QPalette::WindowText, color);
    text_->setPalette(palette);
}

void SignedLabel::setSignColumnWidth(int width) { sign_->setFixedWidth(width); }

}  // namespace brevanor
