#include "app/ui/OnboardingDonePage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/ui/SignedLabel.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

namespace {

const QColor kOrange(255, 149, 0);

QLabel* paragraph(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

}  // namespace

OnboardingDonePage::OnboardingDonePage(AppCoordinator& coordinator, AppSettings& settings, const OnboardingTexts& texts,
                                       QWidget* parent)
    : QWidget(parent), coordinator_(coordinator), settings_(settings), whereItLives_(texts.whereItLives) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(new SignedLabel(AppIcon::done, UiText::tr("You're all set"), {TextStyle::title}));
    howToRecord_ = paragraph({});
    layout->addWidget(howToRecord_);

    skipped_ = new SignedLabel(AppIcon::warning, UiText::tr("Some permissions were skipped. Recording will tell you "
                                                            "what is missing, and the Library window shows how to "
                                                            "grant it."));
    skipped_->setTextColor(kOrange);
    layout->addWidget(skipped_);

    auto* library = paragraph(UiText::tr(
        "Recordings are kept in the Library, where you can set repeats, speed and a shortcut for each one."));
    TextStyle::callout(*library);
    TextStyle::secondary(*library);
    layout->addWidget(library);
    layout->addStretch();

    connect(&settings_, &AppSettings::recordHotkeyChanged, this, &OnboardingDonePage::showState);
    connect(&coordinator_, &AppCoordinator::accessibilityGrantedChanged, this, &OnboardingDonePage::showState);
    connect(&coordinator_, &AppCoordinator::inputMonitoringGrantedChanged, this, &OnboardingDonePage::showState);
    showState();
}

void OnboardingDonePage::showState() {
    howToRecord_->setText(UiText::of(whereItLives_ + coordinator_.shortcutText(settings_.recordHotkey())) +
                          UiText::tr(" whenever you want to record, in any app."));
    skipped_->setVisible(!coordinator_.accessibilityGranted() || !coordinator_.inputMonitoringGranted());
}

}  // namespace brevanor
