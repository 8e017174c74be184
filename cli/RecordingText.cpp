#include "cli/RecordingText.h"

#include <cstdio>

#include "cli/TerminalText.h"
#include "core/checks/PreflightChecker.h"
#include "core/model/DurationText.h"
#include "core/model/PositionsText.h"
#include "core/model/RecordingJSONEncoder.h"
#include "core/playback/PlaybackOptions.h"

namespace brevanor {

namespace {

std::string printf(const char* format, auto... values) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

std::string seconds(std::uint64_t nanos) { return printf("%.3f s", static_cast<double>(nanos) / 1e9); }

std::string point(double x, double y) { return printf("(%g, %g)", x, y); }

std::string modifiers(std::uint64_t flags) {
    const std::string symbols = HotkeyChord{0, flags}.modifierNames();
    return symbols.empty() ? std::string() : "  " + symbols;
}

std::string field(std::string_view label, const std::string& value) {
    std::string line = "  " + std::string(label);
    line.resize(14, ' ');
    return line + value + "\n";
}

// " (stored <text>)" when the stored value is not the one played.
std::string stored(bool differs, const std::string& text) { return differs ? " (stored " + text + ")" : ""; }

// The values playback uses, each clamped into its range, with the stored value where that differs.
std::string playbackSettings(const RecordingSettings& settings) {
    const PlaybackOptions played(settings);
    std::string text =
        printf("speed %gx", played.speed) + stored(played.speed != settings.speed, printf("%gx", settings.speed));
    if (played.repeatCount) {
        text += printf(" • repeat %lld", static_cast<long long>(*played.repeatCount)) +
                stored(*played.repeatCount != settings.repeatCount,
                       printf("%lld", static_cast<long long>(settings.repeatCount)));
    } else {
        text += " • repeat forever";
    }
    const double delaySec = static_cast<double>(played.delayBetweenRepeatsNanos) / 1e9;
    text += printf(" • delay %g s", delaySec) +
            stored(delaySec != settings.delayBetweenRepeatsSec, printf("%g s", settings.delayBetweenRepeatsSec));
    text += " • cursor " + std::string(toString(settings.cursorMode));
    const auto clickDelayMs = static_cast<long long>(played.extraDelayBeforeClickNanos / 1'000'000);
    if (clickDelayMs != 0 || settings.extraDelayBeforeClickMs != 0) {
        text += printf(" • %lld ms before each click", clickDelayMs) +
                stored(clickDelayMs != settings.extraDelayBeforeClickMs,
                       printf("%lld ms", static_cast<long long>(settings.extraDelayBeforeClickMs)));
    }
    return text;
}

std::string frontmostApp(const FrontmostAppInfo& app) {
    std::string text = TerminalText::escaped(app.name.value_or(app.bundleID.value_or("unknown application")));
    if (app.name && app.bundleID) text += " (" + TerminalText::escaped(*app.bundleID) + ")";
    if (app.windowTitle) text += ", window “" + TerminalText::escaped(*app.windowTitle) + "”";
    if (app.windowFrame) {
        const FrameRect& frame = *app.windowFrame;
        text += printf(" at (%g, %g) %g×%g", frame.x, frame.y, frame.width, frame.height);
    }
    return text;
}

}  // namespace

std::string RecordingText::summary(const RecordingSummary& recording, const DateText& dates) {
    return DurationText::duration(recording.trimmedDurationNanos()) + " • " + std::to_string(recording.eventCount) +
           " events • " + dates.format(recording.createdAt);
}

std::string RecordingText::row(const RecordingSummary& recording, const DateText& dates, KeyboardLayout* layout) {
    std::string line =
        recording.id.toString() + "  " + TerminalText::escaped(recording.name) + "  " + summary(recording, dates);
    if (recording.settings.playHotkey) {
        line += "  " + TerminalText::escaped(recording.settings.playHotkey->displayString(layout));
    }
    if (recording.settings.containsSensitiveInput) line += "  (sensitive)";
    return line;
}

std::string RecordingText::details(const RecordingSummary& recording, const DateText& dates, KeyboardLayout* layout) {
    const RecordingSettings& settings = recording.settings;
    std::string text = TerminalText::escaped(recording.name) + "\n";
    text += field("id", recording.id.toString());
    text += field("summary", summary(recording, dates));
    text += field("length", DurationText::duration(recording.durationNanos) +
                                (recording.canUndoTrim()
                                     ? ", trimmed by " + DurationText::duration(recording.trim.leadingNanos) +
                                           " at the start and " + DurationText::duration(recording.trim.trailingNanos) +
                                           " at the end"
                                     : ", not trimmed"));
    text += field("playback", playbackSettings(settings));
    if (settings.playHotkey)
        text += field("shortcut", TerminalText::escaped(settings.playHotkey->displayString(layout)));
    if (settings.containsSensitiveInput) text += field("sensitive", "contains sensitive input; export is refused");
    if (!settings.silencedWarnings.empty()) {
        std::string kinds;
        for (const PreflightWarningKind kind : settings.silencedWarnings) {
            kinds += (kinds.empty() ? "" : ", ") + std::string(toString(kind));
        }
        text += field("silenced", kinds);
    }
    if (!settings.notes.empty()) text += field("notes", TerminalText::escaped(settings.notes));
    const EnvironmentSnapshot& environment = recording.environment;
    text +=
        field("displays", environment.displays.empty() ? "unknown" : PreflightChecker::describe(environment.displays));
    text += field("front app", environment.frontmostApp ? frontmostApp(*environment.frontmostApp) : "unknown");
    text += field("keyboard", TerminalText::escaped(environment.keyboardInputSourceID.value_or("unknown")));
    if (environment.relativePositions) text += field("positions", PositionsText::relativeFact());
    return text;
}

std::string RecordingText::eventLine(const RecordingEvent& event) {
    using Kind = RecordingEvent::Kind;
    std::string line =
        printf("%12s  %-13s", seconds(event.timestamp()).c_str(), std::string(toString(event.kind())).c_str());
    switch (event.kind()) {
        case Kind::mouseDown:
        case Kind::mouseUp: {
            const MouseButtonEvent& button = event.mouseButton();
            line += std::string(toString(button.button)) +
                    printf(" button %lld at ", static_cast<long long>(button.buttonNumber)) +
                    point(button.x, button.y) + printf(", click %lld", static_cast<long long>(button.clickCount)) +
                    modifiers(button.modifiers);
            break;
        }
        case Kind::mousePath: {
            const MousePathEvent& path = event.path();
            const PathPoint first = path.points.empty() ? PathPoint{} : path.points.front();
            const PathPoint last = path.points.empty() ? PathPoint{} : path.points.back();
            line += printf("%zu points ", path.points.size()) + point(first.x, first.y) + " → " +
                    point(last.x, last.y) + " in " + seconds(last.dt);
            break;
        }
        case Kind::scroll: {
            const ScrollEvent& scroll = event.scrollEvent();
            const ScrollPayload& s = scroll.scroll;
            line += "at " + point(scroll.x, scroll.y) +
                    (s.isContinuous ? printf(", %lld, %lld px", static_cast<long long>(s.pointDeltaX),
                                             static_cast<long long>(s.pointDeltaY))
                                    : printf(", %lld, %lld lines", static_cast<long long>(s.deltaX),
                                             static_cast<long long>(s.deltaY))) +
                    modifiers(scroll.modifiers);
            break;
        }
        case Kind::keyDown:
        case Kind::keyUp:
            line += printf("key %u", static_cast<unsigned>(event.key().keyCode)) +
                    (event.key().isRepeat ? " (repeat)" : "") + modifiers(event.key().modifiers);
            break;
        case Kind::flagsChanged:
            line += printf("key %u %s", static_cast<unsigned>(event.flags().keyCode),
                           event.flags().isDown ? "down" : "up") +
                    modifiers(event.flags().modifiers);
            break;
        case Kind::idleGap: line += "for " + seconds(event.idle().durationNanos); break;
    }
    return line + "\n";
}

std::string RecordingText::listJson(const std::vector<std::shared_ptr<const RecordingSummary>>& recordings) {
    const RecordingJSONEncoder encoder;
    std::string json = "[";
    for (const auto& recording : recordings) {
        if (json.size() > 1) json += ',';
        json += encoder.encodeSummary(*recording);
    }
    return json + "]";
}

}  // namespace brevanor
