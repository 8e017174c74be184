#include "cli/UserSettings.h"

#include <simdjson.h>

#include <limits>

namespace brevanor {

namespace {

// A whole JSON number within [0, most]: 15, 15.0 and 1.5e1 alike.
std::optional<std::uint64_t> wholeNumber(simdjson::dom::element element, std::uint64_t most) {
    if (std::uint64_t value = 0; element.get_uint64().get(value) == simdjson::SUCCESS) {
        return value <= most ? std::optional(value) : std::nullopt;
    }
    double value = 0;
    if (element.get_double().get(value) != simdjson::SUCCESS || value < 0 ||
        value != static_cast<double>(static_cast<std::uint64_t>(value)) || value > static_cast<double>(most)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(value);
}

}  // namespace

std::optional<HotkeyChord> UserSettings::decodeChord(const std::vector<std::uint8_t>& data) {
    simdjson::dom::parser parser;
    simdjson::dom::object object;
    if (parser.parse(reinterpret_cast<const char*>(data.data()), data.size()).get_object().get(object) !=
        simdjson::SUCCESS) {
        return std::nullopt;
    }
    simdjson::dom::element keyCode, modifiers;
    if (object["keyCode"].get(keyCode) != simdjson::SUCCESS ||
        object["modifiers"].get(modifiers) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    const auto code = wholeNumber(keyCode, std::numeric_limits<std::uint16_t>::max());
    const auto flags = wholeNumber(modifiers, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()));
    if (!code || !flags) return std::nullopt;
    return HotkeyChord{static_cast<std::uint16_t>(*code), *flags};
}

UserSettings UserSettings::read(const PreferencesStore& preferences) {
    const auto chord = [&](std::string_view key, HotkeyChord fallback) {
        const auto data = preferences.getData(key);
        return data ? decodeChord(*data).value_or(fallback) : fallback;
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
