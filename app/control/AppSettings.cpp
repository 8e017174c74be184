#include "app/control/AppSettings.h"

#include <QPointer>
#include <exception>

#include "app/control/MessageText.h"
#include "app/control/ReportingPreferencesStore.h"
#include "base/text/Localized.h"
#include "core/model/HotkeyChordJSON.h"

namespace brevanor {

AppSettings::AppSettings(std::shared_ptr<PreferencesStore> preferences, std::shared_ptr<LoginItem> loginItem,
                         QObject* parent)
    : QObject(parent),
      preferences_(std::make_shared<ReportingPreferencesStore>(
          preferences,
          [self = QPointer<AppSettings>(this)](const std::optional<std::string>& failure) {
              if (self) self->preferencesWritten(failure);
          })),
      loginItem_(std::move(loginItem)),
      values_(UserSettings::read(*preferences)),
      launchAtLogin_(loginItem_->isRegistered()) {
    if (const auto problem = preferences->problem()) {
        preferencesProblem_ = fillIn(brevanor::tr("The preferences cannot be read (%1), so the defaults are used and "
                                                  "changes last only until Brevanor quits."),
                                     {*problem});
    }
}

// Stores `value` in `field` when it differs, writes it back with `write` and
// tells the field's observers, then everyone's.
template <typename T, typename Write>
void AppSettings::assign(T& field, const T& value, void (AppSettings::*notify)(), Write write) {
    if (field == value) return;
    field = value;
    write();
    emit(this->*notify)();
    emit changed();
}

void AppSettings::setCountdownSeconds(std::int64_t seconds) {
    assign(values_.countdownSeconds, seconds, &AppSettings::countdownSecondsChanged,
           [&] { preferences_->setInteger(UserSettings::countdownSecondsKey, seconds); });
}

void AppSettings::setShowOverlay(bool show) {
    assign(values_.showOverlay, show, &AppSettings::showOverlayChanged,
           [&] { preferences_->setBoolean(UserSettings::showOverlayKey, show); });
}

void AppSettings::setRestoreWindowBeforePlayback(bool restore) {
    assign(values_.restoreWindowBeforePlayback, restore, &AppSettings::restoreWindowBeforePlaybackChanged,
           [&] { preferences_->setBoolean(UserSettings::restoreWindowBeforePlaybackKey, restore); });
}

void AppSettings::setRecordHotkey(HotkeyChord chord) {
    assign(values_.recordHotkey, chord, &AppSettings::recordHotkeyChanged,
           [&] { writeChord(UserSettings::recordHotkeyKey, chord); });
}

void AppSettings::setPlayLastHotkey(HotkeyChord chord) {
    assign(values_.playLastHotkey, chord, &AppSettings::playLastHotkeyChanged,
           [&] { writeChord(UserSettings::playLastHotkeyKey, chord); });
}

void AppSettings::setStopHotkey(HotkeyChord chord) {
    assign(values_.stopHotkey, chord, &AppSettings::stopHotkeyChanged,
           [&] { writeChord(UserSettings::stopHotkeyKey, chord); });
}

void AppSettings::setDefaultSpeed(double speed) {
    assign(values_.defaultSpeed, speed, &AppSettings::defaultSpeedChanged,
           [&] { preferences_->setDouble(UserSettings::defaultSpeedKey, speed); });
}

void AppSettings::setDefaultRepeatCount(std::int64_t count) {
    assign(values_.defaultRepeatCount, count, &AppSettings::defaultRepeatCountChanged,
           [&] { preferences_->setInteger(UserSettings::defaultRepeatCountKey, count); });
}

void AppSettings::setDefaultRepeatInfinite(bool infinite) {
    assign(values_.defaultRepeatInfinite, infinite, &AppSettings::defaultRepeatInfiniteChanged,
           [&] { preferences_->setBoolean(UserSettings::defaultRepeatInfiniteKey, infinite); });
}

void AppSettings::setDefaultDelaySeconds(double seconds) {
    assign(values_.defaultDelaySeconds, seconds, &AppSettings::defaultDelaySecondsChanged,
           [&] { preferences_->setDouble(UserSettings::defaultDelaySecondsKey, seconds); });
}

void AppSettings::setDefaultCursorMode(CursorMode mode) {
    assign(values_.defaultCursorMode, mode, &AppSettings::defaultCursorModeChanged,
           [&] { preferences_->setString(UserSettings::defaultCursorModeKey, toString(mode)); });
}

void AppSettings::setLaunchAtLogin(bool launch) {
    assign(launchAtLogin_, launch, &AppSettings::launchAtLoginChanged, [] {});
    // Also when the value is unchanged: the system's registration may have
    // drifted from it (an autostart entry removed by hand).
    applyLaunchAtLogin();
}

void AppSettings::setLaunchAtLoginError(std::optional<std::string> error) {
    assign(launchAtLoginError_, error, &AppSettings::launchAtLoginErrorChanged, [] {});
}

void AppSettings::preferencesWritten(const std::optional<std::string>& failure) {
    std::optional<std::string> problem;
    if (failure) {
        problem =
            fillIn(brevanor::tr("A preference could not be saved (%1); the change lasts only until Brevanor quits."),
                   {*failure});
    }
    if (problem == preferencesProblem_) return;
    preferencesProblem_ = std::move(problem);
    emit preferencesProblemChanged();
}

void AppSettings::writeChord(std::string_view key, const HotkeyChord& chord) {
    if (const auto data = HotkeyChordJSON::encode(chord)) {
        preferences_->setData(key, *data);
    } else {
        preferences_->remove(key);  // the next launch falls back to the default shortcut
    }
}

RecordingSettings AppSettings::newRecordingSettings() const { return values_.newRecordingSettings(); }

void AppSettings::applyLaunchAtLogin() {
    const bool registered = loginItem_->isRegistered();
    if (registered == launchAtLogin_) return;
    try {
        if (launchAtLogin_) {
            loginItem_->registerItem();
        } else {
            loginItem_->unregisterItem();
        }
        setLaunchAtLoginError(std::nullopt);
    } catch (const std::exception& error) {
        setLaunchAtLoginError(std::string(error.what()));
        setLaunchAtLogin(registered);
    }
}

void AppSettings::restoreDefaultHotkeys() {
    setRecordHotkey(HotkeyChord::defaultRecord);
    setPlayLastHotkey(HotkeyChord::defaultPlayLast);
    setStopHotkey(HotkeyChord::defaultStop);
}

}  // namespace brevanor
