#include "app/ui/GeneralSettingsTab.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/ui/SettingsForm.h"
#include "app/ui/StatusDot.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

namespace {

const QColor kErrorRed(215, 0, 21);

}  // namespace

GeneralSettingsTab::GeneralSettingsTab(AppSettings& settings, AppCoordinator& coordinator, QWidget* parent)
    : QWidget(parent), settings_(settings), coordinator_(coordinator) {
    SettingsForm form(*this);

    launchAtLogin_ = new QCheckBox(UiText::tr("Open Brevanor at login"));
    launchAtLogin_->setObjectName(QStringLiteral("launchAtLogin"));
    launchAtLoginError_ = new QLabel;
    launchAtLoginError_->setObjectName(QStringLiteral("launchAtLoginError"));
    launchAtLoginError_->setWordWrap(true);
    TextStyle::caption(*launchAtLoginError_);
    QPalette red = launchAtLoginError_->palette();
    red.setColor(QPalette::WindowText, kErrorRed);
    launchAtLoginError_->setPalette(red);
    form.addRow(launchAtLogin_, {launchAtLoginError_});

    auto* countdownRow = new QWidget;
    auto* countdownLayout = new QHBoxLayout(countdownRow);
    countdownLayout->setContentsMargins(0, 0, 0, 0);
    auto* countdownLabel = new QLabel(UiText::tr("Countdown before recording:"));
    countdown_ = new QSpinBox;
    countdown_->setObjectName(QStringLiteral("countdown"));
    countdown_->setRange(0, mostCountdownSeconds);
    countdown_->setSuffix(UiText::tr(" s"));
    countdownLabel->setBuddy(countdown_);
    countdownLayout->addWidget(countdownLabel);
    countdownLayout->addWidget(countdown_);
    countdownLayout->addStretch();
    form.addRow(countdownRow, {SettingsForm::caption("Gives your hands time to reach the starting position. Press "
                                                     "the record shortcut again to skip it.")});

    showOverlay_ = new QCheckBox(UiText::tr("Show the status pill while recording and playing"));
    form.addRow(
        showOverlay_,
        {SettingsForm::caption("The pill always shows how to stop. It never takes focus and is not recorded.")});

    restoreWindow_ = new QCheckBox(UiText::tr("Bring the recorded app forward before playing"));
    form.addRow(restoreWindow_, {SettingsForm::caption("Activates the app that was in front when you recorded and "
                                                       "moves its window back to the recorded position, so clicks "
                                                       "land on the same controls.")});

    auto* permissions = new QWidget;
    auto* permissionsLayout = new QHBoxLayout(permissions);
    permissionsLayout->setContentsMargins(0, 0, 0, 0);
    permissionsLayout->setSpacing(6);
    const auto addLight = [&](StatusDot*& dot, const std::string& name, const char* objectName) {
        dot = new StatusDot(9);
        dot->setObjectName(QString::fromLatin1(objectName));
        permissionsLayout->addWidget(dot);
        permissionsLayout->addWidget(new QLabel(UiText::of(name)));
        permissionsLayout->addSpacing(12);
    };
    addLight(accessibility_, coordinator_.permissionTexts().playingName, "accessibilityLight");
    addLight(inputMonitoring_, coordinator_.permissionTexts().recordingName, "inputMonitoringLight");
    permissionsLayout->addStretch();
    auto* setup = new QPushButton(UiText::tr("Permissions Setup…"));
    permissionsLayout->addWidget(setup);
    form.addRow(permissions);
    form.finish();

    connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) { settings_.setLaunchAtLogin(on); });
    connect(countdown_, &QSpinBox::valueChanged, this, [this](int seconds) { settings_.setCountdownSeconds(seconds); });
    connect(showOverlay_, &QCheckBox::toggled, this, [this](bool on) { settings_.setShowOverlay(on); });
    connect(restoreWindow_, &QCheckBox::toggled, this,
            [this](bool on) { settings_.setRestoreWindowBeforePlayback(on); });
    connect(setup, &QPushButton::clicked, this, [this] {
        if (coordinator_.openOnboarding) coordinator_.openOnboarding();
    });
    connect(&settings_, &AppSettings::changed, this, &GeneralSettingsTab::showSettings);
    connect(&coordinator_, &AppCoordinator::accessibilityGrantedChanged, this, &GeneralSettingsTab::showPermissions);
    connect(&coordinator_, &AppCoordinator::inputMonitoringGrantedChanged, this, &GeneralSettingsTab::showPermissions);
    showSettings();
    showPermissions();
}

void GeneralSettingsTab::showSettings() {
    // Showing writes nothing back: the login item shows the system's state
    // after a refusal, and a stored countdown beyond the stepper's range stays
    // stored as it is.
    const QSignalBlocker blockLogin(launchAtLogin_);
    const QSignalBlocker blockCountdown(countdown_);
    launchAtLogin_->setChecked(settings_.launchAtLogin());
    const auto& error = settings_.launchAtLoginError();
    launchAtLoginError_->setText(error ? UiText::of(*error) : QString());
    launchAtLoginError_->setVisible(error.has_value());
    countdown_->setValue(static_cast<int>(settings_.countdownSeconds()));
    showOverlay_->setChecked(settings_.showOverlay());
    restoreWindow_->setChecked(settings_.restoreWindowBeforePlayback());
}

void GeneralSettingsTab::showPermissions() {
    accessibility_->showGranted(coordinator_.accessibilityGranted());
    inputMonitoring_->showGranted(coordinator_.inputMonitoringGranted());
}

}  // namespace brevanor
