#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "brevanor/platform/LoginItem.h"
#include "core/model/CursorMode.h"
#include "core/model/HotkeyChord.h"
#include "core/model/RecordingSettings.h"
#include "core/store/PreferencesStore.h"
#include "core/store/UserSettings.h"

namespace brevanor {

// The application-wide preferences: countdown, status pill, window restoring,
// the three global shortcuts, the defaults new recordings receive, and starting
// at login. Read once from the preferences store at creation (nothing is written
// then) and written back on every change; each field tells of its changes, and
// changed() of any. Main thread only.
class AppSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 countdownSeconds READ countdownSeconds WRITE setCountdownSeconds NOTIFY countdownSecondsChanged)
    Q_PROPERTY(bool showOverlay READ showOverlay WRITE setShowOverlay NOTIFY showOverlayChanged)
    Q_PROPERTY(bool restoreWindowBeforePlayback READ restoreWindowBeforePlayback WRITE setRestoreWindowBeforePlayback
                   NOTIFY restoreWindowBeforePlaybackChanged)
    Q_PROPERTY(brevanor::HotkeyChord recordHotkey READ recordHotkey WRITE setRecordHotkey NOTIFY recordHotkeyChanged)
    Q_PROPERTY(
        brevanor::HotkeyChord playLastHotkey READ playLastHotkey WRITE setPlayLastHotkey NOTIFY playLastHotkeyChanged)
    Q_PROPERTY(brevanor::HotkeyChord stopHotkey READ stopHotkey WRITE setStopHotkey NOTIFY stopHotkeyChanged)
    Q_PROPERTY(double defaultSpeed READ defaultSpeed WRITE setDefaultSpeed NOTIFY defaultSpeedChanged)
    Q_PROPERTY(
        qint64 defaultRepeatCount READ defaultRepeatCount WRITE setDefaultRepeatCount NOTIFY defaultRepeatCountChanged)
    Q_PROPERTY(bool defaultRepeatInfinite READ defaultRepeatInfinite WRITE setDefaultRepeatInfinite NOTIFY
                   defaultRepeatInfiniteChanged)
    Q_PROPERTY(double defaultDelaySeconds READ defaultDelaySeconds WRITE setDefaultDelaySeconds NOTIFY
                   defaultDelaySecondsChanged)
    Q_PROPERTY(brevanor::CursorMode defaultCursorMode READ defaultCursorMode WRITE setDefaultCursorMode NOTIFY
                   defaultCursorModeChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(std::optional<std::string> launchAtLoginError READ launchAtLoginError NOTIFY launchAtLoginErrorChanged)

public:
    // Reads every preference from `defaults` and whether `loginItem` is registered.
    AppSettings(std::shared_ptr<PreferencesStore> defaults, std::shared_ptr<LoginItem> loginItem,
                QObject* parent = nullptr);

    std::int64_t countdownSeconds() const { return countdownSeconds_; }
    bool showOverlay() const { return showOverlay_; }
    bool restoreWindowBeforePlayback() const { return restoreWindowBeforePlayback_; }
    HotkeyChord recordHotkey() const { return recordHotkey_; }
    HotkeyChord playLastHotkey() const { return playLastHotkey_; }
    HotkeyChord stopHotkey() const { return stopHotkey_; }
    double defaultSpeed() const { return defaultSpeed_; }
    std::int64_t defaultRepeatCount() const { return defaultRepeatCount_; }
    bool defaultRepeatInfinite() const { return defaultRepeatInfinite_; }
    double defaultDelaySeconds() const { return defaultDelaySeconds_; }
    CursorMode defaultCursorMode() const { return defaultCursorMode_; }
    bool launchAtLogin() const { return launchAtLogin_; }
    // Why the last change of launchAtLogin failed; cleared by the next success.
    const std::optional<std::string>& launchAtLoginError() const { return launchAtLoginError_; }

    // Each setter stores the value and writes it to the preferences at once.
    // Values are kept as given; the settings window offers only valid ones.
    void setCountdownSeconds(std::int64_t seconds);
    void setShowOverlay(bool show);
    void setRestoreWindowBeforePlayback(bool restore);
    void setRecordHotkey(HotkeyChord chord);
    void setPlayLastHotkey(HotkeyChord chord);
    void setStopHotkey(HotkeyChord chord);
    void setDefaultSpeed(double speed);
    void setDefaultRepeatCount(std::int64_t count);
    void setDefaultRepeatInfinite(bool infinite);
    void setDefaultDelaySeconds(double seconds);
    void setDefaultCursorMode(CursorMode mode);
    // Stores nothing: registers or unregisters the login item (applyLaunchAtLogin()).
    void setLaunchAtLogin(bool launch);

    // The settings a new recording receives: the playback defaults above, every
    // other field at the RecordingSettings defaults.
    RecordingSettings newRecordingSettings() const;
    // Brings the login item in line with launchAtLogin; on failure keeps the
    // system's state and the error's text in launchAtLoginError.
    void applyLaunchAtLogin();
    // The three shortcuts back to their defaults; nothing else changes.
    void restoreDefaultHotkeys();

signals:
    void countdownSecondsChanged();
    void showOverlayChanged();
    void restoreWindowBeforePlaybackChanged();
    void recordHotkeyChanged();
    void playLastHotkeyChanged();
    void stopHotkeyChanged();
    void defaultSpeedChanged();
    void defaultRepeatCountChanged();
    void defaultRepeatInfiniteChanged();
    void defaultDelaySecondsChanged();
    void defaultCursorModeChanged();
    void launchAtLoginChanged();
    void launchAtLoginErrorChanged();
    // After each change of any field above.
    void changed();

private:
    AppSettings(const UserSettings& stored, std::shared_ptr<PreferencesStore> defaults,
                std::shared_ptr<LoginItem> loginItem, QObject* parent);

    template <typename T, typename Write>
    void assign(T& field, const T& value, void (AppSettings::*notify)(), Write write);
    void writeChord(std::string_view key, const HotkeyChord& chord);
    void setLaunchAtLoginError(std::optional<std::string> error);

    std::shared_ptr<PreferencesStore> defaults_;
    std::shared_ptr<LoginItem> loginItem_;
    std::int64_t countdownSeconds_;
    bool showOverlay_;
    bool restoreWindowBeforePlayback_;
    HotkeyChord recordHotkey_;
    HotkeyChord playLastHotkey_;
    HotkeyChord stopHotkey_;
    double defaultSpeed_;
    std::int64_t defaultRepeatCount_;
    bool defaultRepeatInfinite_;
    double defaultDelaySeconds_;
    CursorMode defaultCursorMode_;
    bool launchAtLogin_;
    std::optional<std::string> launchAtLoginError_;
};

}  // namespace brevanor
