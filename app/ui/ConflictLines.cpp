#include "app/ui/ConflictLines.h"

#include <QVBoxLayout>

#include "app/ui/SignedLabel.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

namespace {

const QColor kOrange(255, 149, 0);

}  // namespace

ConflictLines::ConflictLines(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(2);
    setVisible(false);
}

void ConflictLines::setSentences(const std::vector<std::string>& sentences) {
    while (lines_.size() < sentences.size()) {
        auto* line = new SignedLabel(AppIcon::warning, {}, {TextStyle::caption}, this);
        line->setTextColor(kOrange);
        layout_->addWidget(line);
        lines_.push_back(line);
    }
    shown_ = sentences.size();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i < shown_) lines_[i]->setText(UiText::of(sentences[i]));
        lines_[i]->setVisible(i < shown_);
    }
    setVisible(shown_ > 0);
}

std::vector<std::string> ConflictLines::sentences() const {
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < shown_; ++i) shown.push_back(lines_[i]->text().toStdString());
    return shown;
}

}  // namespace brevanor
