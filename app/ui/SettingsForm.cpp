#include "app/ui/SettingsForm.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

SettingsForm::SettingsForm(QWidget& tab) : layout_(new QVBoxLayout(&tab)) {
    layout_->setContentsMargins(20, 20, 20, 20);
    layout_->setSpacing(8);
}

void SettingsForm::beginSection() {
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setBackgroundRole(QPalette::Base);
    frame->setAutoFillBackground(true);
    section_ = new QVBoxLayout(frame);
    section_->setContentsMargins(12, 10, 12, 10);
    section_->setSpacing(10);
    if (layout_->count() > 0) layout_->addSpacing(10);
    layout_->addWidget(frame);
}

void SettingsForm::addRow(QWidget* control, std::initializer_list<QWidget*> notes) {
    if (!section_) beginSection();
    if (section_->count() > 0) {
        auto* line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        line->setForegroundRole(QPalette::Midlight);
        section_->addWidget(line);
    }
    auto* row = new QVBoxLayout;
    row->setSpacing(2);
    row->addWidget(control);
    int indent = 0;
    if (qobject_cast<QCheckBox*>(control)) {
        const QStyle* style = control->style();
        indent = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control) +
                 style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
    }
    for (QWidget* note : notes) {
        note->setContentsMargins(indent, 0, 0, 0);
        row->addWidget(note);
    }
    section_->addLayout(row);
}

void SettingsForm::addFooter(QWidget* footer) {
    footer->setContentsMargins(12, 0, 12, 0);
    layout_->addWidget(footer);
}

void SettingsForm::finish() { layout_->addStretch(); }

QLabel* SettingsForm::caption(std::string_view english) {
    auto* label = new QLabel(UiText::tr(english));
    label->setWordWrap(true);
    TextStyle::caption(*label);
    TextStyle::secondary(*label);
    return label;
}

}  // namespace brevanor
