#pragma once

#include <QWidget>
#include <functional>

#include "core/model/RecordingSettings.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;

namespace brevanor {

// The grid of playback settings: speed, repeats, pause between repeats, cursor
// positions and the extra pause before clicks. It edits a RecordingSettings
// value (the fields it has no control for are kept as given) and tells of every
// change the user makes. Typed values outside their range are replaced by the
// nearest bound at once; stored values outside them are shown as they are.
class PlaybackSettingsControls : public QWidget {
    Q_OBJECT

public:
    explicit PlaybackSettingsControls(QWidget* parent = nullptr);

    // The value shown, with the user's changes.
    const RecordingSettings& settings() const { return settings_; }
    // Shows `settings`; emits nothing. A field the user is typing in keeps its
    // text while it still reads as the value given.
    void setSettings(const RecordingSettings& settings);

signals:
    // After each change the user made; settings() holds it.
    void settingsChanged();

private:
    void change(const std::function<void(RecordingSettings&)>& edit);
    void showSettings();
    void repeatCountTyped(const QString& text);
    void pauseTyped(const QString& text);
    void stepRepeatCount(int by);

    RecordingSettings settings_;
    QSlider* speed_;
    QLabel* speedText_;
    QLineEdit* repeatCount_;
    QToolButton* stepUp_;
    QToolButton* stepDown_;
    QCheckBox* untilStopped_;
    QLineEdit* pause_;
    QButtonGroup* cursorModes_;
    QSlider* clickDelay_;
    QLabel* clickDelayText_;
};

}  // namespace brevanor
