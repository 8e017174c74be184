#pragma once

#include <cstdint>
#include <string_view>

#include "base/keys/HotkeyChord.h"
#include "core/model/CursorMode.h"
#include "core/model/RecordingSettings.h"
#include "core/store/PreferencesStore.h"

namespace brevanor {

// The user's preferences as the application keeps them, under these keys and
// with these defaults: the countdown, the recording overlay, window restoring,
// the three global shortcuts and the defaults of new recordings. Read by the
// application and the command line alike; unreadable values fall back to the
// defaults.
struct UserSettings {
    static constexpr std::string_view countdownSecondsKey = "countdownSeconds";
    static constexpr std::string_view showOverlayKey = "showOverlay";
    static constexpr std::string_view restoreWindowBeforePlaybackKey = "restoreWindowBeforePlayback";
    static constexpr std::string_view recordHotkeyKey = "hotkey.record";
    static constexpr std::string_view playLastHotkeyKey = "hotkey.playLast";
    static constexpr std::string_view stopHotkeyKey = "hotkey.stop";
    static constexpr std::string_view defaultSpeedKey = "defaults.speed";
    static constexpr std::string_view defaultRepeatCountKey = "defaults.repeatCount";
    static constexpr std::string_view defaultRepeatInfiniteKey = "defaults.repeatInfinite";
    static constexpr std::string_view defaultDelaySecondsKey = "defaults.delaySeconds";
    static constexpr std::string_view defaultCursorModeKey = "defaults.cursorMode";

    std::int64_t countdownSeconds = 3;
    bool showOverlay = true;
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
