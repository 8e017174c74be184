#include "app/ui/OnboardingPermissionPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/StatusDot.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

namespace {

QLabel* paragraph(const std::string& text) {
    auto* label = new QLabel(UiText::of(text));
    label->setWordWrap(true);
    return label;
}

QLabel* note(const std::string& text, void (*size)(QWidget&)) {
    QLabel* label = paragraph(text);
    size(*label);
    TextStyle::secondary(*label);
    return label;
}

}  // namespace

OnboardingPermissionPage::OnboardingPermissionPage(const OnboardingTexts::PermissionStep& texts, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    auto* title = paragraph(texts.title);
    TextStyle::title(*title);
    layout->addWidget(title);
    layout->addWidget(paragraph(texts.explanation));

    auto* status = new QHBoxLayout;
    status->setSpacing(10);
    status->setContentsMargins(0, 4, 0, 4);
    light_ = new StatusDot(14);
    state_ = new QLabel;
    TextStyle::headline(*state_);
    status->addWidget(light_);
    status->addWidget(state_);
    status->addStretch();
    layout->addLayout(status);

    howToGrant_ = new QWidget;
    auto* howLayout = new QVBoxLayout(howToGrant_);
    howLayout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    auto* grant = new QPushButton(UiText::of(texts.grantButton));
    buttons->addWidget(grant);
    connect(grant, &QPushButton::clicked, this, &OnboardingPermissionPage::grantRequested);
    if (texts.settingsButton) {
        auto* settings = new QPushButton(UiText::of(*texts.settingsButton));
        buttons->addWidget(settings);
        connect(settings, &QPushButton::clicked, this, &OnboardingPermissionPage::settingsRequested);
    }
    buttons->addStretch();
    howLayout->addLayout(buttons);
    QLabel* howToGrant = note(texts.howToGrant, TextStyle::callout);
    howToGrant->setTextInteractionFlags(Qt::TextSelectableByMouse);  // it may hold a command to copy
    howLayout->addWidget(howToGrant);
    howLayout->addWidget(note(texts.troubleHint, TextStyle::caption));
    layout->addWidget(howToGrant_);

    movingOn_ = new QLabel(UiText::tr("Thanks. Moving on…"));
    TextStyle::callout(*movingOn_);
    TextStyle::secondary(*movingOn_);
    layout->addWidget(movingOn_);
    if (!texts.extraHint.empty()) layout->addWidget(note(texts.extraHint, TextStyle::caption));
    layout->addStretch();
    showGranted(false);
}

void OnboardingPermissionPage::showGranted(bool granted) {
    light_->showGranted(granted);
    state_->setText(UiText::tr(granted ? "Granted" : "Not granted yet"));
    howToGrant_->setVisible(!granted);
    movingOn_->setVisible(granted);
}

}  // namespace brevanor
