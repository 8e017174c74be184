#include "core/store/UserSettings.h"

#include "core/model/HotkeyChordJSON.h"

namespace brevanor {

UserSettings UserSettings::read(const PreferencesStore& preferences) {
    const auto chord = [&](std::string_view key, HotkeyChord fallback) {
        const auto data = preferences.getData(key);
        return data ? HotkeyChordJSON::decode(*data).value_or(fallback) : fallback;
    };
    UserSettings settings;
    settings.countdownSeconds = preferences.getInteger(countdownSecondsKey).value_or(3);
    settings.showOverlay = preferences.getBoolean(showOverlayKey).value_or(true);
    settings.restoreWindowBeforePlayback = preferences.getBoolean(restoreWindowBeforePlaybackKey).value_or(true);
    settings.recordHotkey = chord(recordHotkeyKey, HotkeyChord::defaultRecord);
    settings.playLastHotkey = chord(playLastHotkeyKey, HotkeyChord::defaultPlayLast);
    settings.stopHotkey = chord(stopHotkeyKey, HotkeyChord::defaultStop);
    settings.defaultSpeed = preferences.getDouble(defaultSpeedKey).value_or(1.0);
    settings.defaultRepeatCount = preferences.getInteger(defaultRepeatCountKey).value_or(1);
    settings.defaultRepeatInfinite = preferences.getBoolean(defaultRepeatInfiniteKey).value_or(false);
    settings.defaultDelaySeconds = preferences.getDouble(defaultDelaySecondsKey).value_or(0.0);
    const auto mode = preferences.getString(defaultCursorModeKey);
    settings.defaultCursorMode =
        mode ? cursorModeFromString(*mode).value_or(CursorMode::absolute) : CursorMode::absolute;
    return settings;
}

RecordingSettings UserSettings::newRecordingSettings() const {
    RecordingSettings settings;
    settings.repeatCount = defaultRepeatCount;
    settings.repeatInfinite = defaultRepeatInfinite;
    settings.delayBetweenRepeatsSec = defaultDelaySeconds;
    settings.speed = defaultSpeed;
    settings.cursorMode = defaultCursorMode;
    return settings;
}

}  // namespace brevanor
