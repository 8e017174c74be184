#pragma once

#include <cstdint>

#include "core/model/CursorMode.h"
#include "core/model/HotkeyChord.h"
#include "core/model/RecordingSettings.h"
#include "core/store/PreferencesStore.h"

namespace brevanor {

// The application's preferences that the command line follows, read under the
// application's keys with the application's defaults: the countdown, window
// restoring, the three global shortcuts and the defaults of new recordings.
// Unreadable values fall back to the defaults.
struct UserSettings {
    std::int64_t countdownSeconds = 3;
    bool restoreWindowBeforePlayback = true;
    HotkeyChord recordHotkey = HotkeyChord::defaultRecord;
    HotkeyChord playLastHotkey = HotkeyChord::defaultPlayLast;
    HotkeyChord stopHotkey = HotkeyChord::defaultStop;
    double defaultSpeed = 1.0;
    std::int64_t defaultRepeatCount = 1;
    bool defaultRepeatInfinite = false;
    double defaultDelaySeconds = 0.0;
    CursorMode defaultCursorMode = CursorMode::absolute;

    static UserSettings read(const PreferencesStore& preferences);

    // What a new recording receives: the playback defaults, everything else at its default.
    RecordingSettings newRecordingSettings() const;
};

}  // namespace brevanor
