#pragma once

#include <chrono>
#include <ostream>

#include "core/model/Recording.h"
#include "core/model/RecordingEncodingError.h"
#include "core/model/RecordingJSONEncoder.h"

namespace brevanor {

// Test failures show a recording as its document.
inline void PrintTo(const Recording& recording, std::ostream* out) {
    try {
        *out << Recording::makeJSONEncoder().encode(recording);
    } catch (const RecordingEncodingError& error) {
        *out << "(a recording that cannot be written: " << error.what() << ")";
    }
}

}  // namespace brevanor

namespace brevanor::samples {

// 2026-12-05T16:43:01Z plus `fraction`.
inline Date decemberFifth(std::chrono::milliseconds fraction = {}) {
    using namespace std::chrono;
    return Date{sys_days{year{2026} / 12 / 5} + hours{16} + minutes{43} + seconds{1} + fraction};
}

// A recording that uses every kind of event and every optional field, with
// values chosen so that any two fields mixed up would show.
inline Recording everyField() {
    EnvironmentSnapshot environment;
    environment.displays = {{69733382, {0, 0, 1512, 982}, 2.0}, {2, {-1920, -108.5, 1920, 1080}, 1.0}};
    environment.frontmostApp =
        FrontmostAppInfo{"com.example.Editor", "Editor", "notes.txt — Editor", FrameRect{10, 40.5, 800, 600.25}};
    environment.keyboardInputSourceID = "com.apple.keylayout.German";

    RecordingSettings settings;
    settings.repeatCount = 3;
    settings.repeatInfinite = true;
    settings.delayBetweenRepeatsSec = 0.25;
    settings.speed = 1.5;
    settings.cursorMode = CursorMode::relativeToCursor;
    settings.playHotkey = HotkeyChord{15, 0x140000};
    settings.notes = "line one\nline \"two\" / ok";
    settings.containsSensitiveInput = true;
    settings.extraDelayBeforeClickMs = 120;
    settings.silencedWarnings = {PreflightWarningKind::appNotRunning};

    std::vector<RecordingEvent> events{
        RecordingEvent::idleGap({0, 1'500'000'000}),
        RecordingEvent::mousePath(
            {1'500'000'000, {{0, 10.0, 20.0}, {8'000'000, 12.5, 20.0}, {16'000'000, -3.75, 1e6}}}),
        RecordingEvent::mouseDown({1'600'000'000, MouseButton::left, 0, 12.5, 20.0, 2, 0x100000}),
        RecordingEvent::mouseUp({1'650'000'000, MouseButton::other, 4, 12.5, 21.0, 1, 0}),
        RecordingEvent::scroll({1'700'000'000, 300.5, 400.25, -3, 2, -42, 17, true, 1, 4, 0x80000}),
        RecordingEvent::flagsChanged({1'710'000'000, 56, 0x20002, true}),
        RecordingEvent::keyDown({1'720'000'000, 0, 0x20000, false}),
        RecordingEvent::keyDown({1'760'000'000, 0, 0x20000, true}),
        RecordingEvent::keyUp({1'770'000'000, 0, 0x20000, false}),
        RecordingEvent::flagsChanged({1'780'000'000, 56, 0, false}),
        RecordingEvent::idleGap({1'780'000'000, 2'000'000'000}),
    };
    Recording recording(*Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), "Login – “staging”", decemberFifth(),
                        std::move(environment), std::move(settings), TrimRange{1'500'000'000, 2'000'000'000},
                        std::move(events));
    return recording;
}

}  // namespace brevanor::samples
