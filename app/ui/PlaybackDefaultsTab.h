#pragma once

#include <QWidget>

namespace brevanor {

class AppSettings;
class PlaybackSettingsControls;

// The settings window's third tab: the playback settings new recordings start
// with. It shows the settings a new recording would get and stores what the
// defaults hold (speed, repeats, repeat forever, pause between repeats, cursor
// positions). The other controls, such as the extra pause before clicks, are
// not defaults: they show their built-in value again as soon as the tab shows
// the defaults again (after any change of the settings, or when it is shown).
class PlaybackDefaultsTab : public QWidget {
    Q_OBJECT

public:
    explicit PlaybackDefaultsTab(AppSettings& settings, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void storeDefaults();
    void showDefaults();

    AppSettings& settings_;
    PlaybackSettingsControls* controls_;
};

}  // namespace brevanor
