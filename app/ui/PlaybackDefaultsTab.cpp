#include "app/ui/PlaybackDefaultsTab.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/control/AppSettings.h"
#include "app/ui/PlaybackSettingsControls.h"
#include "app/ui/SettingsForm.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

PlaybackDefaultsTab::PlaybackDefaultsTab(AppSettings& settings, QWidget* parent)
    : QWidget(parent), settings_(settings) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);
    auto* title = new QLabel(UiText::tr("Defaults for new recordings"));
    TextStyle::headline(*title);
    layout->addWidget(title);

    auto* group = new QGroupBox;
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(6, 6, 6, 6);
    controls_ = new PlaybackSettingsControls;
    groupLayout->addWidget(controls_);
    layout->addWidget(group);
    layout->addWidget(
        SettingsForm::caption("Each recording keeps its own copy of these settings, editable in the "
                              "Library."));
    layout->addStretch();

    connect(controls_, &PlaybackSettingsControls::settingsChanged, this, &PlaybackDefaultsTab::storeDefaults);
    connect(&settings_, &AppSettings::changed, this, &PlaybackDefaultsTab::showDefaults);
    showDefaults();
}

void PlaybackDefaultsTab::storeDefaults() {
    // Read before the first write: each write shows the defaults again, which
    // puts the controls' value back to the stored defaults.
    const RecordingSettings edited = controls_->settings();
    settings_.setDefaultSpeed(edited.speed);
    settings_.setDefaultRepeatCount(edited.repeatCount);
    settings_.setDefaultRepeatInfinite(edited.repeatInfinite);
    settings_.setDefaultDelaySeconds(edited.delayBetweenRepeatsSec);
    settings_.setDefaultCursorMode(edited.cursorMode);
}

void PlaybackDefaultsTab::showDefaults() { controls_->setSettings(settings_.newRecordingSettings()); }

void PlaybackDefaultsTab::showEvent(QShowEvent* event) {
    showDefaults();
    QWidget::showEvent(event);
}

}  // namespace brevanor
