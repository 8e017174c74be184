#include "app/control/AppSettings.h"

#include <exception>

#include "core/model/HotkeyChordJSON.h"

namespace brevanor {

AppSettings::AppSettings(std::shared_ptr<PreferencesStore> defaults, std::shared_ptr<LoginItem> loginItem,
                         QObject* parent)
    : AppSettings(UserSettings::read(*defaults), defaults, std::move(loginItem), parent) {}

AppSettings::AppSettings(const UserSettings& stored, std::shared_ptr<PreferencesStore> defaults,
                         std::shared_ptr<LoginItem> loginItem, QObject* parent)
    : QObject(parent),
      defaults_(std::move(defaults)),
      loginItem_(std::move(loginItem)),
      countdownSeconds_(stored.countdownSeconds),
      showOverlay_(stored.showOverlay),
      restoreWindowBeforePlayback_(stored.restoreWindowBeforePlayback),
      recordHotkey_(stored.recordHotkey),
      playLastHotkey_(stored.playLastHotkey),
      stopHotkey_(stored.stopHotkey),
      defaultSpeed_(stored.defaultSpeed),
      defaultRepeatCount_(stored.defaultRepeatCount),
      defaultRepeatInfinite_(stored.defaultRepeatInfinite),
      defaultDelaySeconds_(stored.defaultDelaySeconds),
      defaultCursorMode_(stored.defaultCursorMode),
      launchAtLogin_(loginItem_->isRegistered()) {}

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
    assign(countdownSeconds_, seconds, &AppSettings::countdownSecondsChanged,
           [&] { defaults_->setInteger(UserSettings::countdownSecondsKey, seconds); });
}

void AppSettings::setShowOverlay(bool show) {
    assign(showOverlay_, show, &AppSettings::showOverlayChanged,
           [&] { defaults_->setBoolean(UserSettings::showOverlayKey, show); });
}

void AppSettings::setRestoreWindowBeforePlayback(bool restore) {
    assign(restoreWindowBeforePlayback_, restore, &AppSettings::restoreWindowBeforePlaybackChanged,
           [&] { defaults_->setBoolean(UserSettings::restoreWindowBeforePlaybackKey, restore); });
}

void AppSettings::setRecordHotkey(HotkeyChord chord) {
    assign(recordHotkey_, chord, &AppSettings::recordHotkeyChanged,
           [&] { writeChord(UserSettings::recordHotkeyKey, chord); });
}

void AppSettings::setPlayLastHotkey(HotkeyChord chord) {
    assign(playLastHotkey_, chord, &AppSettings::playLastHotkeyChanged,
           [&] { writeChord(UserSettings::playLastHotkeyKey, chord); });
}

void AppSettings::setStopHotkey(HotkeyChord chord) {
    assign(stopHotkey_, chord, &AppSettings::stopHotkeyChanged,
           [&] { writeChord(UserSettings::stopHotkeyKey, chord); });
}

void AppSettings::setDefaultSpeed(double speed) {
    assign(defaultSpeed_, speed, &AppSettings::defaultSpeedChanged,
           [&] { defaults_->setDouble(UserSettings::defaultSpeedKey, speed); });
}

void AppSettings::setDefaultRepeatCount(std::int64_t count) {
    assign(defaultRepeatCount_, count, &AppSettings::defaultRepeatCountChanged,
           [&] { defaults_->setInteger(UserSettings::defaultRepeatCountKey, count); });
}

void AppSettings::setDefaultRepeatInfinite(bool infinite) {
    assign(defaultRepeatInfinite_, infinite, &AppSettings::defaultRepeatInfiniteChanged,
           [&] { defaults_->setBoolean(UserSettings::defaultRepeatInfiniteKey, infinite); });
}

void AppSettings::setDefaultDelaySeconds(double seconds) {
    assign(defaultDelaySeconds_, seconds, &AppSettings::defaultDelaySecondsChanged,
           [&] { defaults_->setDouble(UserSettings::defaultDelaySecondsKey, seconds); });
}

void AppSettings::setDefaultCursorMode(CursorMode mode) {
    assign(defaultCursorMode_, mode, &AppSettings::defaultCursorModeChanged,
           [&] { defaults_->setString(UserSettings::defaultCursorModeKey, toString(mode)); });
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

void AppSettings::writeChord(std::string_view key, const HotkeyChord& chord) {
    if (const auto data = HotkeyChordJSON::encode(chord)) {
        defaults_->setData(key, *data);
    } else {
        defaults_->remove(key);  // the next launch falls back to the default shortcut
    }
}

RecordingSettings AppSettings::newRecordingSettings() const {
    RecordingSettings settings;
    settings.repeatCount = defaultRepeatCount_;
    settings.repeatInfinite = defaultRepeatInfinite_;
    settings.delayBetweenRepeatsSec = defaultDelaySeconds_;
    settings.speed = defaultSpeed_;
    settings.cursorMode = defaultCursorMode_;
    return settings;
}

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
