#include "app/ui/PlaybackSettingsControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>

#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

namespace {

// The sliders work in whole steps: speed in halves, the click pause in 50 ms.
constexpr double kSpeedStepsPerUnit = 2.0;
constexpr int kClickDelayStepMs = 50;

constexpr int kFieldWidth = 60;

// A number as typed in the user's locale (group separators allowed), or in the
// C locale's form; nothing while the text is empty or half typed ("-").
std::optional<double> typedNumber(const QString& text) {
    bool ok = false;
    double value = QLocale().toDouble(text, &ok);
    if (!ok) value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString countText(std::int64_t count) { return QLocale().toString(static_cast<qlonglong>(count)); }

QString secondsText(double seconds) { return QLocale().toString(seconds, 'g', QLocale::FloatingPointShortest); }

QString speedText(double speed) { return QString::number(speed, 'f', 1) + QStringLiteral("×"); }

QString clickDelayText(std::int64_t ms) { return QString::number(ms) + QStringLiteral(" ms"); }

// Digits, the locale's separators and a sign; ranges are checked on each change.
QValidator* numberValidator(bool decimals, QObject* parent) {
    const QLocale locale;
    QString allowed = QStringLiteral("0-9") + QRegularExpression::escape(locale.groupSeparator());
    if (decimals) {
        allowed += QRegularExpression::escape(locale.decimalPoint()) + QStringLiteral("\\.");
    }
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[") + allowed + QStringLiteral("]*")),
                                           parent);
}

QLineEdit* numberField(const QString& placeholder, bool decimals, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    field->setAccessibleName(placeholder);
    field->setFixedWidth(kFieldWidth);
    field->setValidator(numberValidator(decimals, field));
    return field;
}

QLabel* rowLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* unitLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    TextStyle::secondary(*label);
    return label;
}

QLabel* valueLabel(int width, QWidget* parent) {
    auto* label = new QLabel(parent);
    TextStyle::monospacedDigits(*label);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QToolButton* stepButton(Qt::ArrowType arrow, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAccessibleName(name);
    button->setAutoRepeat(true);
    button->setFixedSize(18, 12);
    return button;
}

}  // namespace

PlaybackSettingsControls::PlaybackSettingsControls(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(1, 1);

    speed_ = new QSlider(Qt::Horizontal, this);
    speed_->setObjectName(QStringLiteral("speed"));
    speed_->setAccessibleName(UiText::tr("Speed"));
    speed_->setRange(static_cast<int>(RecordingSettings::speedRange.lowerBound * kSpeedStepsPerUnit),
                     static_cast<int>(RecordingSettings::speedRange.upperBound * kSpeedStepsPerUnit));
    speedText_ = valueLabel(44, this);
    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(speed_, 1);
    speedRow->addWidget(speedText_);
    grid->addWidget(rowLabel(UiText::tr("Speed"), this), 0, 0);
    grid->addLayout(speedRow, 0, 1);

    repeatCount_ = numberField(UiText::tr("Count"), false, this);
    repeatCount_->setObjectName(QStringLiteral("repeatCount"));
    stepUp_ = stepButton(Qt::UpArrow, UiText::tr("More"), this);
    stepDown_ = stepButton(Qt::DownArrow, UiText::tr("Fewer"), this);
    auto* stepper = new QVBoxLayout;
    stepper->setSpacing(0);
    stepper->addWidget(stepUp_);
    stepper->addWidget(stepDown_);
    untilStopped_ = new QCheckBox(UiText::tr("Until stopped"), this);
    auto* repeatRow = new QHBoxLayout;
    repeatRow->addWidget(repeatCount_);
    repeatRow->addLayout(stepper);
    repeatRow->addWidget(unitLabel(UiText::tr("times"), this));
    repeatRow->addSpacing(8);
    repeatRow->addWidget(untilStopped_);
    repeatRow->addStretch(1);
    grid->addWidget(rowLabel(UiText::tr("Repeat"), this), 1, 0);
    grid->addLayout(repeatRow, 1, 1);

    pause_ = numberField(UiText::tr("Seconds"), true, this);
    pause_->setObjectName(QStringLiteral("pauseBetweenRepeats"));
    auto* pauseRow = new QHBoxLayout;
    pauseRow->addWidget(pause_);
    pauseRow->addWidget(unitLabel(UiText::tr("seconds"), this));
    pauseRow->addStretch(1);
    grid->addWidget(rowLabel(UiText::tr("Pause between repeats"), this), 2, 0);
    grid->addLayout(pauseRow, 2, 1);

    cursorModes_ = new QButtonGroup(this);
    auto* cursorColumn = new QVBoxLayout;
    const std::pair<CursorMode, const char*> choices[] = {
        {CursorMode::absolute, "Same screen coordinates as recorded"},
        {CursorMode::relativeToScreen, "Scaled to the current screen size"},
        {CursorMode::relativeToCursor, "Relative to where the cursor is when playback starts"}};
    for (const auto& [mode, label] : choices) {
        auto* choice = new QRadioButton(UiText::tr(label), this);
        cursorModes_->addButton(choice, static_cast<int>(mode));
        cursorColumn->addWidget(choice);
    }
    auto* cursorLabel = rowLabel(UiText::tr("Cursor positions"), this);
    cursorLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(cursorLabel, 3, 0);
    grid->addLayout(cursorColumn, 3, 1);

    clickDelay_ = new QSlider(Qt::Horizontal, this);
    clickDelay_->setObjectName(QStringLiteral("extraClickDelay"));
    clickDelay_->setAccessibleName(UiText::tr("Extra pause before clicks"));
    clickDelay_->setRange(static_cast<int>(RecordingSettings::extraClickDelayRange.lowerBound / kClickDelayStepMs),
                          static_cast<int>(RecordingSettings::extraClickDelayRange.upperBound / kClickDelayStepMs));
    clickDelayText_ = valueLabel(64, this);
    auto* clickDelayRow = new QHBoxLayout;
    clickDelayRow->addWidget(clickDelay_, 1);
    clickDelayRow->addWidget(clickDelayText_);
    grid->addWidget(rowLabel(UiText::tr("Extra pause before clicks"), this), 4, 0);
    grid->addLayout(clickDelayRow, 4, 1);

    connect(speed_, &QSlider::valueChanged, this,
            [this](int steps) { change([steps](RecordingSettings& s) { s.speed = steps / kSpeedStepsPerUnit; }); });
    connect(repeatCount_, &QLineEdit::textEdited, this, &PlaybackSettingsControls::repeatCountTyped);
    connect(stepUp_, &QToolButton::clicked, this, [this] { stepRepeatCount(1); });
    connect(stepDown_, &QToolButton::clicked, this, [this] { stepRepeatCount(-1); });
    connect(untilStopped_, &QCheckBox::toggled, this,
            [this](bool on) { change([on](RecordingSettings& s) { s.repeatInfinite = on; }); });
    connect(pause_, &QLineEdit::textEdited, this, &PlaybackSettingsControls::pauseTyped);
    // A field left empty or half typed shows the value again.
    for (QLineEdit* field : {repeatCount_, pause_}) {
        connect(field, &QLineEdit::editingFinished, this, [this, field] {
            if (!typedNumber(field->text())) showSettings();
        });
    }
    connect(cursorModes_, &QButtonGroup::idClicked, this,
            [this](int id) { change([id](RecordingSettings& s) { s.cursorMode = static_cast<CursorMode>(id); }); });
    connect(clickDelay_, &QSlider::valueChanged, this, [this](int steps) {
        change([steps](RecordingSettings& s) {
            s.extraDelayBeforeClickMs = static_cast<std::int64_t>(static_cast<double>(steps) * kClickDelayStepMs);
        });
    });
    showSettings();
}

void PlaybackSettingsControls::setSettings(const RecordingSettings& settings) {
    settings_ = settings;
    showSettings();
}

void PlaybackSettingsControls::change(const std::function<void(RecordingSettings&)>& edit) {
    RecordingSettings changed = settings_;
    edit(changed);
    if (changed == settings_) return;
    settings_ = std::move(changed);
    showSettings();
    emit settingsChanged();
}

void PlaybackSettingsControls::showSettings() {
    // Controls set from the value tell nothing back.
    const QSignalBlocker blockSpeed(speed_);
    const QSignalBlocker blockUntilStopped(untilStopped_);
    const QSignalBlocker blockClickDelay(clickDelay_);

    speed_->setValue(static_cast<int>(std::lround(settings_.speed * kSpeedStepsPerUnit)));
    speedText_->setText(speedText(settings_.speed));

    if (typedNumber(repeatCount_->text()) != static_cast<double>(settings_.repeatCount)) {
        repeatCount_->setText(countText(settings_.repeatCount));
    }
    const bool counted = !settings_.repeatInfinite;
    repeatCount_->setEnabled(counted);
    stepUp_->setEnabled(counted && settings_.repeatCount < RecordingSettings::repeatRange.upperBound);
    stepDown_->setEnabled(counted && settings_.repeatCount > RecordingSettings::repeatRange.lowerBound);
    untilStopped_->setChecked(settings_.repeatInfinite);

    if (typedNumber(pause_->text()) != settings_.delayBetweenRepeatsSec) {
        pause_->setText(secondsText(settings_.delayBetweenRepeatsSec));
    }

    if (QAbstractButton* choice = cursorModes_->button(static_cast<int>(settings_.cursorMode))) {
        choice->setChecked(true);
    }

    clickDelay_->setValue(static_cast<int>(settings_.extraDelayBeforeClickMs / kClickDelayStepMs));
    clickDelayText_->setText(clickDelayText(settings_.extraDelayBeforeClickMs));
}

void PlaybackSettingsControls::repeatCountTyped(const QString& text) {
    const std::optional<double> typed = typedNumber(text);
    if (!typed) return;
    const auto range = RecordingSettings::repeatRange;
    const double count =
        std::clamp(std::trunc(*typed), static_cast<double>(range.lowerBound), static_cast<double>(range.upperBound));
    if (count != *typed) repeatCount_->setText(countText(static_cast<std::int64_t>(count)));
    change([count](RecordingSettings& s) { s.repeatCount = static_cast<std::int64_t>(count); });
}

void PlaybackSettingsControls::pauseTyped(const QString& text) {
    const std::optional<double> typed = typedNumber(text);
    if (!typed) return;
    const double seconds = RecordingSettings::delayRange.clamp(*typed);
    if (seconds != *typed) pause_->setText(secondsText(seconds));
    change([seconds](RecordingSettings& s) { s.delayBetweenRepeatsSec = seconds; });
}

void PlaybackSettingsControls::stepRepeatCount(int by) {
    const std::int64_t count = RecordingSettings::repeatRange.clamp(settings_.repeatCount + by);
    change([count](RecordingSettings& s) { s.repeatCount = count; });
}

}  // namespace brevanor
