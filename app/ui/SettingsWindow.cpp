#include "app/ui/SettingsWindow.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/ui/HotkeyRecorderView.h"
#include "core/model/Localized.h"

namespace brevanor {

namespace {

QString q(const std::string& value) { return QString::fromStdString(value); }

// A user-visible text, through the translation lookup.
QString text(std::string_view english) { return q(brevanor::tr(english)); }

}  // namespace

SettingsWindow::SettingsWindow(AppCoordinator& coordinator, AppSettings& settings)
    : coordinator_(coordinator), settings_(settings) {
    setWindowTitle(text("Brevanor Settings"));
    // Titled and closable only.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    countdown_ = new QSpinBox(this);
    countdown_->setRange(0, 10);
    countdown_->setSuffix(text(" s"));
    showOverlay_ = new QCheckBox(text("Show the status pill while recording and playing"), this);
    restoreWindow_ = new QCheckBox(text("Restore the recorded window before playback"), this);
    launchAtLogin_ = new QCheckBox(text("Start Brevanor when you log in"), this);
    launchAtLoginError_ = new QLabel(this);
    launchAtLoginError_->setWordWrap(true);
    recordHotkey_ = new HotkeyRecorderView(coordinator_, false, this);
    playLastHotkey_ = new HotkeyRecorderView(coordinator_, false, this);
    stopHotkey_ = new HotkeyRecorderView(coordinator_, false, this);
    auto* resetShortcuts = new QPushButton(text("Restore Default Shortcuts"), this);

    auto* form = new QFormLayout(this);
    form->addRow(text("Countdown before recording:"), countdown_);
    form->addRow(showOverlay_);
    form->addRow(restoreWindow_);
    form->addRow(launchAtLogin_);
    form->addRow(launchAtLoginError_);
    form->addRow(text("Record:"), recordHotkey_);
    form->addRow(text("Play last recording:"), playLastHotkey_);
    form->addRow(text("Stop:"), stopHotkey_);
    form->addRow(resetShortcuts);

    connect(countdown_, &QSpinBox::valueChanged, this, [this](int seconds) { settings_.setCountdownSeconds(seconds); });
    connect(showOverlay_, &QCheckBox::toggled, this, [this](bool on) { settings_.setShowOverlay(on); });
    connect(restoreWindow_, &QCheckBox::toggled, this,
            [this](bool on) { settings_.setRestoreWindowBeforePlayback(on); });
    connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) { settings_.setLaunchAtLogin(on); });
    connect(recordHotkey_, &HotkeyRecorderView::chordEdited, this, [this](std::optional<HotkeyChord> chord) {
        if (chord) settings_.setRecordHotkey(*chord);
    });
    connect(playLastHotkey_, &HotkeyRecorderView::chordEdited, this, [this](std::optional<HotkeyChord> chord) {
        if (chord) settings_.setPlayLastHotkey(*chord);
    });
    connect(stopHotkey_, &HotkeyRecorderView::chordEdited, this, [this](std::optional<HotkeyChord> chord) {
        if (chord) settings_.setStopHotkey(*chord);
    });
    connect(resetShortcuts, &QPushButton::clicked, this, [this] { settings_.restoreDefaultHotkeys(); });
    connect(&settings_, &AppSettings::changed, this, &SettingsWindow::showSettings);
    showSettings();
    setFixedSize(sizeHint());
}

void SettingsWindow::showSettings() {
    // Setting a control to what it shows emits nothing, so this cannot loop.
    countdown_->setValue(static_cast<int>(settings_.countdownSeconds()));
    showOverlay_->setChecked(settings_.showOverlay());
    restoreWindow_->setChecked(settings_.restoreWindowBeforePlayback());
    launchAtLogin_->setChecked(settings_.launchAtLogin());
    const auto& error = settings_.launchAtLoginError();
    launchAtLoginError_->setVisible(error.has_value());
    launchAtLoginError_->setText(error ? q(*error) : QString());
    recordHotkey_->setChord(settings_.recordHotkey());
    playLastHotkey_->setChord(settings_.playLastHotkey());
    stopHotkey_->setChord(settings_.stopHotkey());
}

}  // namespace brevanor
