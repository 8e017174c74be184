#include "core/model/RecordingJSONEncoder.h"

#include <string_view>

#include "core/model/Iso8601.h"
#include "core/model/JsonWriter.h"
#include "core/model/RecordingEncodingError.h"

namespace brevanor {

namespace {

// Runs `write`, naming `parent` in any encoding error it throws.
template <typename Write>
void within(std::string_view parent, Write&& write) {
    try {
        write();
    } catch (const RecordingEncodingError& error) {
        throw error.within(parent);
    }
}

std::string indexed(std::string_view key, std::size_t index) {
    return std::string(key) + "[" + std::to_string(index) + "]";
}

void writeFrame(JsonWriter& w, const FrameRect& frame) {
    w.beginObject();
    w.key("height").real(frame.height);
    w.key("width").real(frame.width);
    w.key("x").real(frame.x);
    w.key("y").real(frame.y);
    w.endObject();
}

void writeFrontmostApp(JsonWriter& w, const FrontmostAppInfo& app) {
    w.beginObject();
    if (app.bundleID) {
        w.key("bundleID").string(*app.bundleID);
    }
    if (app.name) {
        w.key("name").string(*app.name);
    }
    if (app.windowFrame) {
        w.key("windowFrame");
        within("windowFrame", [&] { writeFrame(w, *app.windowFrame); });
    }
    if (app.windowTitle) {
        w.key("windowTitle").string(*app.windowTitle);
    }
    w.endObject();
}

void writeEnvironment(JsonWriter& w, const EnvironmentSnapshot& environment) {
    w.beginObject();
    w.key("displays");
    w.beginArray();
    std::size_t i = 0;
    try {
        for (; i < environment.displays.size(); ++i) {
            const DisplayInfo& display = environment.displays[i];
            w.beginObject();
            w.key("frame");
            within("frame", [&] { writeFrame(w, display.frame); });
            w.key("id").integer(display.id);
            w.key("scale").real(display.scale);
            w.endObject();
        }
    } catch (const RecordingEncodingError& error) {
        throw error.within(indexed("displays", i));
    }
    w.endArray();
    if (environment.frontmostApp) {
        w.key("frontmostApp");
        within("frontmostApp", [&] { writeFrontmostApp(w, *environment.frontmostApp); });
    }
    if (environment.keyboardInputSourceID) {
        w.key("keyboardInputSourceID").string(*environment.keyboardInputSourceID);
    }
    // Written only when relative, so documents of screen positions stay as they were.
    if (environment.relativePositions) w.key("pointerPositions").string("relative");
    w.endObject();
}

void writeSettings(JsonWriter& w, const RecordingSettings& settings) {
    w.beginObject();
    w.key("containsSensitiveInput").boolean(settings.containsSensitiveInput);
    w.key("cursorMode").string(toString(settings.cursorMode));
    w.key("delayBetweenRepeatsSec").real(settings.delayBetweenRepeatsSec);
    w.key("extraDelayBeforeClickMs").integer(settings.extraDelayBeforeClickMs);
    w.key("notes").string(settings.notes);
    if (settings.playHotkey) {
        w.key("playHotkey");
        w.beginObject();
        w.key("keyCode").integer(settings.playHotkey->keyCode);
        w.key("modifiers").integer(settings.playHotkey->modifiers);
        w.endObject();
    }
    w.key("repeatCount").integer(settings.repeatCount);
    w.key("repeatInfinite").boolean(settings.repeatInfinite);
    w.key("silencedWarnings");
    w.beginArray();
    for (PreflightWarningKind kind : settings.silencedWarnings) {
        if (isSilenceable(kind)) w.string(toString(kind));
    }
    w.endArray();
    w.key("speed").real(settings.speed);
    w.endObject();
}

// The keys "t" and "type" close every event object, "x" and "y" follow where the event has a position.
void writeTimeAndType(JsonWriter& w, const RecordingEvent& event) {
    w.key("t").integer(event.timestamp());
    w.key("type").string(toString(event.kind()));
}

void writePosition(JsonWriter& w, double x, double y) {
    w.key("x").real(x);
    w.key("y").real(y);
}

void writeEvent(JsonWriter& w, const RecordingEvent& event) {
    w.beginObject();
    switch (event.kind()) {
        case RecordingEvent::Kind::mouseDown:
        case RecordingEvent::Kind::mouseUp: {
            const MouseButtonEvent& e = event.mouseButton();
            w.key("button").string(toString(e.button));
            if (e.buttonNumber != 0) {
                w.key("buttonNumber").integer(e.buttonNumber);
            }
            w.key("clickCount").integer(e.clickCount);
            w.key("mods").integer(e.modifiers);
            writeTimeAndType(w, event);
            writePosition(w, e.x, e.y);
            break;
        }
        case RecordingEvent::Kind::mousePath: {
            w.key("points");
            w.beginArray();
            for (const PathPoint& point : event.path().points) {
                w.beginArray();
                w.integer(point.dt);
                w.real(point.x);
                w.real(point.y);
                w.endArray();
            }
            w.endArray();
            writeTimeAndType(w, event);
            break;
        }
        case RecordingEvent::Kind::scroll: {
            const ScrollEvent& e = event.scrollEvent();
            const ScrollPayload& s = e.scroll;
            w.key("continuous").boolean(s.isContinuous);
            w.key("deltaX").integer(s.deltaX);
            w.key("deltaY").integer(s.deltaY);
            w.key("mods").integer(e.modifiers);
            w.key("momentumPhase").integer(s.momentumPhase);
            w.key("pointDeltaX").integer(s.pointDeltaX);
            w.key("pointDeltaY").integer(s.pointDeltaY);
            w.key("scrollPhase").integer(s.scrollPhase);
            writeTimeAndType(w, event);
            writePosition(w, e.x, e.y);
            break;
        }
        case RecordingEvent::Kind::keyDown:
        case RecordingEvent::Kind::keyUp: {
            const KeyEvent& e = event.key();
            if (e.isRepeat) {
                w.key("isRepeat").boolean(true);
            }
            w.key("keyCode").integer(e.keyCode);
            w.key("mods").integer(e.modifiers);
            writeTimeAndType(w, event);
            break;
        }
        case RecordingEvent::Kind::flagsChanged: {
            const FlagsChangedEvent& e = event.flags();
            w.key("down").boolean(e.isDown);
            w.key("keyCode").integer(e.keyCode);
            w.key("mods").integer(e.modifiers);
            writeTimeAndType(w, event);
            break;
        }
        case RecordingEvent::Kind::idleGap: {
            w.key("durationNanos").integer(event.idle().durationNanos);
            writeTimeAndType(w, event);
            break;
        }
    }
    w.endObject();
}

// A generous guess of the document's size, so the output is allocated about once.
std::size_t expectedBytes(const Recording& recording) {
    std::size_t bytes = 1024 + recording.name.size() + recording.settings.notes.size();
    for (const RecordingEvent& event : recording.events) {
        bytes += 96;
        if (event.kind() == RecordingEvent::Kind::mousePath) bytes += 32 * event.path().points.size();
    }
    for (const RecordingEvent& event : recording.recordedEvents.value_or(std::vector<RecordingEvent>{})) {
        bytes += 96;
        if (event.kind() == RecordingEvent::Kind::mousePath) bytes += 32 * event.path().points.size();
    }
    return bytes;
}

// Writes one array of events under `key`, those that `forEachEvent` hands to its argument.
template <typename ForEachEvent, typename AfterEvent>
void writeEvents(JsonWriter& w, std::string_view key, ForEachEvent&& forEachEvent, AfterEvent&& afterEvent) {
    w.key(key);
    w.beginArray();
    std::size_t i = 0;
    try {
        forEachEvent([&](const RecordingEvent& event) {
            writeEvent(w, event);
            ++i;
            afterEvent();
        });
    } catch (const RecordingEncodingError& error) {
        throw error.within(indexed(key, i));
    }
    w.endArray();
}

// Writes the document of `summary` with the events that `forEachEvent` hands
// to its argument (and, for an edited recording, the recorded events that
// `forEachRecorded` hands over), calling `afterEvent` after each one.
template <typename ForEachEvent, typename ForEachRecorded, typename AfterEvent>
void writeDocument(JsonWriter& w, const RecordingSummary& summary, ForEachEvent&& forEachEvent,
                   ForEachRecorded&& forEachRecorded, AfterEvent&& afterEvent) {
    w.beginObject();
    w.key("createdAt").string(Iso8601::format(summary.createdAt));
    w.key("durationNanos").integer(summary.durationNanos);
    w.key("environment");
    within("environment", [&] { writeEnvironment(w, summary.environment); });
    w.key("eventCount").integer(summary.eventCount);
    writeEvents(w, "events", forEachEvent, afterEvent);
    w.key("id").string(summary.id.toString());
    w.key("name").string(summary.name);
    if (summary.recordedEventCount) writeEvents(w, "recordedEvents", forEachRecorded, afterEvent);
    w.key("schemaVersion").integer(summary.schemaVersion);
    w.key("settings");
    within("settings", [&] { writeSettings(w, summary.settings); });
    w.key("trim");
    w.beginObject();
    w.key("leadingNanos").integer(summary.trim.leadingNanos);
    w.key("trailingNanos").integer(summary.trim.trailingNanos);
    w.endObject();
    w.endObject();
}

}  // namespace

std::string RecordingJSONEncoder::encode(const Recording& recording) const {
    JsonWriter w(expectedBytes(recording));
    writeDocument(
        w, RecordingSummary::of(recording),
        [&](const auto& write) {
            for (const RecordingEvent& event : recording.events) write(event);
        },
        [&](const auto& write) {
            for (const RecordingEvent& event : *recording.recordedEvents) write(event);
        },
        [] {});
    return w.take();
}

void RecordingJSONEncoder::encode(const RecordingSummary& summary, const EventSource& events,
                                  const std::function<void(std::string_view)>& output,
                                  const EventSource& recordedEvents) const {
    constexpr std::size_t kPieceBytes = 64 * 1024;
    JsonWriter w(2 * kPieceBytes);
    const EventSource noRecordedEvents = [](const auto&) {};
    writeDocument(w, summary, events, recordedEvents ? recordedEvents : noRecordedEvents, [&] {
        if (w.text().size() < kPieceBytes) return;
        output(w.text());
        w.clearText();
    });
    output(w.text());
}

std::string RecordingJSONEncoder::encodeSummary(const RecordingSummary& recording) const {
    JsonWriter w(512 + recording.name.size() + recording.settings.notes.size());
    w.beginObject();
    w.key("createdAt").string(Iso8601::format(recording.createdAt));
    w.key("durationNanos").integer(recording.durationNanos);
    w.key("eventCount").integer(recording.eventCount);
    w.key("id").string(recording.id.toString());
    w.key("name").string(recording.name);
    w.key("settings");
    within("settings", [&] { writeSettings(w, recording.settings); });
    w.key("trimmedDurationNanos").integer(recording.trimmedDurationNanos());
    w.endObject();
    return w.take();
}

std::string RecordingJSONEncoder::encodeEvent(const RecordingEvent& event) const {
    JsonWriter w(128);
    writeEvent(w, event);
    return w.take();
}

}  // namespace brevanor
