#include "app/ui/OnboardingWelcomePage.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/control/MessageText.h"
#include "app/ui/SignedLabel.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"
#include "base/keys/KeyCodeNames.h"
#include "base/text/Localized.h"

namespace brevanor {

namespace {

constexpr int kSignColumn = 18;

QLabel* paragraph(const QString& text, std::initializer_list<SignedLabel::Style> styles = {}) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    for (SignedLabel::Style style : styles) style(*label);
    return label;
}

}  // namespace

OnboardingWelcomePage::OnboardingWelcomePage(AppCoordinator& coordinator, AppSettings& settings,
                                             const OnboardingTexts& texts, QWidget* parent)
    : QWidget(parent), coordinator_(coordinator), settings_(settings) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(new SignedLabel(AppIcon::application, UiText::tr("Welcome to Brevanor"), {TextStyle::title}));
    layout->addWidget(
        paragraph(UiText::tr("Brevanor records your mouse and keyboard, then replays them exactly: the "
                             "same clicks, keystrokes and pauses, as many times as you ask.")));

    auto* shortcuts = new QVBoxLayout;
    shortcuts->setSpacing(6);
    for (auto [row, sign] : {std::pair{&record_, AppIcon::record}, std::pair{&playLast_, AppIcon::play},
                             std::pair{&stop_, AppIcon::stop}}) {
        *row = new SignedLabel(sign, {});
        (*row)->setSignColumnWidth(kSignColumn);
        shortcuts->addWidget(*row);
    }
    layout->addLayout(shortcuts);

    auto* privacy = new QGroupBox;
    auto* privacyLayout = new QVBoxLayout(privacy);
    privacyLayout->setContentsMargins(4, 4, 4, 4);
    privacyLayout->setSpacing(4);
    privacyLayout->addWidget(new SignedLabel(AppIcon::privacy, UiText::of(texts.privacyTitle), {TextStyle::headline}));
    privacyLayout->addWidget(paragraph(UiText::of(texts.privacyText), {TextStyle::callout, TextStyle::secondary}));
    layout->addWidget(privacy);

    layout->addWidget(paragraph(UiText::of(texts.permissionsIntro), {TextStyle::callout, TextStyle::secondary}));
    layout->addStretch();

    connect(&settings_, &AppSettings::changed, this, &OnboardingWelcomePage::showShortcuts);
    showShortcuts();
}

void OnboardingWelcomePage::showShortcuts() {
    const auto line = [this](const HotkeyChord& chord, std::string_view rest) {
        return UiText::of(fillIn(brevanor::tr(rest), {coordinator_.shortcutText(chord),
                                                      KeyCodeNames::name(HotkeyChord::escapeKeyCode, nullptr)}));
    };
    record_->setText(
        line(settings_.recordHotkey(), "Press %1 to record after a short countdown; press it again to stop."));
    playLast_->setText(line(settings_.playLastHotkey(), "Press %1 to replay the last recording."));
    stop_->setText(
        line(settings_.stopHotkey(), "Press %1, or hold %2, to stop at any time, even when another app is in front."));
}

}  // namespace brevanor
