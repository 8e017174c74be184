#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/keys/HotkeyChord.h"
#include "base/platform/LoginItem.h"
#include "core/model/CursorMode.h"
#include "core/model/RecordingSettings.h"
#include "core/store/PreferencesStore.h"
#include "core/store/UserSettings.h"

namespace brevanor {

// The application-wide preferences (UserSettings, which brevanor-cli reads
// too) published for Qt, and starting at login. Read once from the preferences
// store at creation (nothing is written then) and written back on every
// change; each field tells of its changes, and changed() of any. Preferences
// that cannot be read or written never stop the application: the values in
// use stay, and preferencesProblem says what is wrong. Main thread only.
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
    Q_PROPERTY(std::optional<std::string> preferencesProblem READ preferencesProblem NOTIFY preferencesProblemChanged)

public:
    // Reads every preference from `preferences` and whether `loginItem` is registered.
    AppSettings(std::shared_ptr<PreferencesStore> preferences, std::shared_ptr<LoginItem> loginItem,
                QObject* parent = nullptr);

    std::int64_t countdownSeconds() const { return values_.countdownSeconds; }
    bool showOverlay() const { return values_.showOverlay; }
    bool restoreWindowBeforePlayback() const { return values_.restoreWindowBeforePlayback; }
    HotkeyChord recordHotkey() const { return values_.recordHotkey; }
    HotkeyChord playLastHotkey() const { return values_.playLastHotkey; }
    HotkeyChord stopHotkey() const { return values_.stopHotkey; }
    double defaultSpeed() const { return values_.defaultSpeed; }
    std::int64_t defaultRepeatCount() const { return values_.defaultRepeatCount; }
    bool defaultRepeatInfinite() const { return values_.defaultRepeatInfinite; }
    double defaultDelaySeconds() const { return values_.defaultDelaySeconds; }
    CursorMode defaultCursorMode() const { return values_.defaultCursorMode; }
    bool launchAtLogin() const { return launchAtLogin_; }
    // Why the last change of launchAtLogin failed; cleared by the next success.
    const std::optional<std::string>& launchAtLoginError() const { return launchAtLoginError_; }
    // Why the preferences could not be read at creation or the last change
    // could not be written, as a sentence for the user; cleared by the next
    // change that is written.
    const std::optional<std::string>& preferencesProblem() const { return preferencesProblem_; }
    // The preferences store for the rest of the application (the library, the
    // windows): its failed writes end up in preferencesProblem instead of
    // being thrown.
    const std::shared_ptr<PreferencesStore>& preferences() const { return preferences_; }

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
    void preferencesProblemChanged();
    // After each change of any field above.
    void changed();

private:
    template <typename T, typename Write>
    void assign(T& field, const T& value, void (AppSettings::*notify)(), Write write);
    void writeChord(std::string_view key, const HotkeyChord& chord);
    void setLaunchAtLoginError(std::optional<std::string> error);
    // Every change the preferences store wrote or failed to write.
    void preferencesWritten(const std::optional<std::string>& failure);

    std::shared_ptr<PreferencesStore> preferences_;
    std::shared_ptr<LoginItem> loginItem_;
    UserSettings values_;
    bool launchAtLogin_;
    std::optional<std::string> launchAtLoginError_;
    std::optional<std::string> preferencesProblem_;
};

}  // namespace brevanor
