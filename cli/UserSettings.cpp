#include "cli/UserSettings.h"

#include "core/model/HotkeyChordJSON.h"

namespace brevanor {

UserSettings UserSettings::read(const PreferencesStore& preferences) {
    const auto chord = [&](std::string_view key, HotkeyChord fallback) {
        const auto data = preferences.getData(key);
        return data ? HotkeyChordJSON::decode(*data).value_or(fallback) : fallback;
    };
    UserSettings settings;
    settings.countdownSeconds = preferences.getInteger("countdownSeconds").value_or(3);
    settings.restoreWindowBeforePlayback = preferences.getBoolean("restoreWindowBeforePlayback").value_or(true);
    settings.recordHotkey = chord("hotkey.record", HotkeyChord::defaultRecord);
    settings.playLastHotkey = chord("hotkey.playLast", HotkeyChord::defaultPlayLast);
    settings.stopHotkey = chord("hotkey.stop", HotkeyChord::defaultStop);
    settings.defaultSpeed = preferences.getDouble("defaults.speed").value_or(1.0);
    settings.defaultRepeatCount = preferences.getInteger("defaults.repeatCount").value_or(1);
    settings.defaultRepeatInfinite = preferences.getBoolean("defaults.repeatInfinite").value_or(false);
    settings.defaultDelaySeconds = preferences.getDouble("defaults.delaySeconds").value_or(0.0);
    const auto mode = preferences.getString("defaults.cursorMode");
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
