#include "core/model/RecordingJSONDecoder.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/model/EventBatches.h"
#include "core/model/Iso8601.h"
#include "core/model/JsonValues.h"
#include "core/model/LossyRecordingEvent.h"
#include "core/model/RecordingDecodingError.h"
#include "core/model/RecordingDocumentError.h"
#include "core/model/RecordingEventDecodingError.h"

namespace brevanor {

using namespace JsonValues;

struct RecordingJSONDecoder::Parser {
    od::parser parser;
};

namespace {

// The parser keeps its buffers between documents: setting them up again costs
// more than reading a long document (they reserve about 7 bytes per document
// byte, of which a fraction is ever touched). Only after a document beyond this
// capacity, far longer than any recording session, are they given back.
constexpr std::size_t kRetainedCapacityBytes = std::size_t{64} << 20;

// The events of a long document are parsed in batches of about this many bytes.
constexpr std::size_t kBatchBytes = std::size_t{1} << 20;

constexpr std::string_view kPointShape = "expected an array of three numbers (dt, x, y)";

const JsonLocation kRoot{};

template <typename Enum>
Enum readEnum(od::value& value, const JsonLocation& at, std::optional<Enum> (*fromString)(std::string_view),
              std::string_view expected) {
    const std::optional<Enum> parsed = fromString(readString(value, at));
    if (!parsed) fail(at, expected);
    return *parsed;
}

// --- Environment, settings, trim ------------------------------------------------

FrameRect readFrame(od::value& value, const JsonLocation& at) {
    enum Key : std::size_t { x, y, width, height };
    static constexpr std::array<std::string_view, 4> kKeys{"x", "y", "width", "height"};
    od::object object = readObject(value, at);
    FrameRect frame;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const JsonLocation& keyAt) {
        switch (key) {
            case x: frame.x = readDouble(v, keyAt); break;
            case y: frame.y = readDouble(v, keyAt); break;
            case width: frame.width = readDouble(v, keyAt); break;
            case height: frame.height = readDouble(v, keyAt); break;
        }
    });
    requireKeys(read, {x, y, width, height}, kKeys, at);
    return frame;
}

DisplayInfo readDisplay(od::value& value, const JsonLocation& at) {
    enum Key : std::size_t { id, frame, scale };
    static constexpr std::array<std::string_view, 3> kKeys{"id", "frame", "scale"};
    od::object object = readObject(value, at);
    DisplayInfo display;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const JsonLocation& keyAt) {
        switch (key) {
            case id: display.id = readInteger<std::uint32_t>(v, keyAt); break;
            case frame: display.frame = readFrame(v, keyAt); break;
            case scale: display.scale = readDouble(v, keyAt); break;
        }
    });
    requireKeys(read, {id, frame, scale}, kKeys, at);
    return display;
}

FrontmostAppInfo readFrontmostApp(od::value& value, const JsonLocation& at) {
    enum Key : std::size_t { bundleID, name, windowTitle, windowFrame };
    static constexpr std::array<std::string_view, 4> kKeys{"bundleID", "name", "windowTitle", "windowFrame"};
    od::object object = readObject(value, at);
    FrontmostAppInfo app;
    readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const JsonLocation& keyAt) {
        switch (key) {
            case bundleID: app.bundleID = std::string(readString(v, keyAt)); break;
            case name: app.name = std::string(readString(v, keyAt)); break;
            case windowTitle: app.windowTitle = std::string(readString(v, keyAt)); break;
            case windowFrame: app.windowFrame = readFrame(v, keyAt); break;
        }
    });
    return app;
}

EnvironmentSnapshot readEnvironment(od::value& value, const JsonLocation& at) {
    enum Key : std::size_t { displays, frontmostApp, keyboardInputSourceID, pointerPositions };
    static constexpr std::array<std::string_view, 4> kKeys{"displays", "frontmostApp", "keyboardInputSourceID",
                                                           "pointerPositions"};
    od::object object = readObject(value, at);
    EnvironmentSnapshot environment;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const JsonLocation& keyAt) {
        switch (key) {
            case displays: {
                od::array array = readArray(v, keyAt);
                std::size_t i = 0;
                for (auto result : array) {
                    od::value element;
                    check(result.get(element), keyAt.element(i));
                    environment.displays.push_back(readDisplay(element, keyAt.element(i)));
                    ++i;
                }
                break;
            }
            case frontmostApp: environment.frontmostApp = readFrontmostApp(v, keyAt); break;
            case keyboardInputSourceID: environment.keyboardInputSourceID = std::string(readString(v, keyAt)); break;
            // Anything but "relative" is a place on the screen, as positions were before the key existed.
            case pointerPositions: environment.relativePositions = readString(v, keyAt) == "relative"; break;
        }
    });
    requireKeys(read, {displays}, kKeys, at);
    return environment;
}

HotkeyChord readHotkey(od::value& value, const JsonLocation& at) {
    enum Key : std::size_t { keyCode, modifiers };
    static constexpr std::array<std::string_view, 2> kKeys{"keyCode", "modifiers"};
    od::object object = readObject(value, at);
    HotkeyChord chord;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const JsonLocation& keyAt) {
        switch (key) {
            case keyCode: chord.keyCode = readInteger<std::uint16_t>(v, keyAt); break;
            case modifiers: chord.modifiers = readInteger<std::uint64_t>(v, keyAt); break;
        }
    });
    requireKeys(read, {keyCode, modifiers}, kKeys, at);
    return chord;
}

std::set<PreflightWarningKind> readSilencedWarnings(od::value& value, const JsonLocation& at) {
    std::set<PreflightWarningKind> kinds;
    od::array array = readArray(value, at);
    std::size_t i = 0;
    for (auto result : array) {
        od::value element;
        check(result.get(element), at.element(i));
        kinds.insert(
            readEnum<PreflightWarningKind>(element, at.element(i), silenceableWarningKindFromString,
                                           R"(expected "displayMismatch", "appNotRunning" or "inputSourceMismatch")"));
        ++i;
    }
    return kinds;
}

// Every key is optional; values outside the editable ranges are kept as they stand.
RecordingSettings readSettings(od::value& value, const JsonLocation& at) {
    enum Key : std::size_t {
        repeatCount,
        repeatInfinite,
        delayBetweenRepeatsSec,
        speed,
        cursorMode,
        playHotkey,
        notes,
        containsSensitiveInput,
        extraDelayBeforeClickMs,
        silencedWarnings
    };
    static constexpr std::array<std::string_view, 10> kKeys{"repeatCount",
                                                            "repeatInfinite",
                                                            "delayBetweenRepeatsSec",
                                                            "speed",
                                                            "cursorMode",
                                                            "playHotkey",
                                                            "notes",
                                                            "containsSensitiveInput",
                                                            "extraDelayBeforeClickMs",
                                                            "silencedWarnings"};
    od::object object = readObject(value, at);
    RecordingSettings settings;
    readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const JsonLocation& keyAt) {
        switch (key) {
            case repeatCount: settings.repeatCount = readInteger<std::int64_t>(v, keyAt); break;
            case repeatInfinite: settings.repeatInfinite = readBool(v, keyAt); break;
            case delayBetweenRepeatsSec: settings.delayBetweenRepeatsSec = readDouble(v, keyAt); break;
            case speed: settings.speed = readDouble(v, keyAt); break;
            case cursorMode:
                settings.cursorMode = readEnum<CursorMode>(
                    v, keyAt, cursorModeFromString, R"(expected "absolute", "relativeToScreen" or "relativeToCursor")");
                break;
            case playHotkey: settings.playHotkey = readHotkey(v, keyAt); break;
            case notes: settings.notes = std::string(readString(v, keyAt)); break;
            case containsSensitiveInput: settings.containsSensitiveInput = readBool(v, keyAt); break;
            case extraDelayBeforeClickMs: settings.extraDelayBeforeClickMs = readInteger<std::int64_t>(v, keyAt); break;
            case silencedWarnings: settings.silencedWarnings = readSilencedWarnings(v, keyAt); break;
        }
    });
    return settings;
}

TrimRange readTrim(od::value& value, const JsonLocation& at) {
    enum Key : std::size_t { leadingNanos, trailingNanos };
    static constexpr std::array<std::string_view, 2> kKeys{"leadingNanos", "trailingNanos"};
    od::object object = readObject(value, at);
    TrimRange trim;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const JsonLocation& keyAt) {
        switch (key) {
            case leadingNanos: trim.leadingNanos = readInteger<std::uint64_t>(v, keyAt); break;
            case trailingNanos: trim.trailingNanos = readInteger<std::uint64_t>(v, keyAt); break;
        }
    });
    requireKeys(read, {leadingNanos, trailingNanos}, kKeys, at);
    return trim;
}

// --- Events ---------------------------------------------------------------------
//
// An event object is read in one pass, although its "type" (which decides what
// the other keys mean) usually comes last. Every known key is read as its own
// type says; a value that does not fit is only noted, because it matters only
// if the key belongs to the event's type. Malformed JSON fails at once.

namespace EventKeys {
enum Key : std::size_t {
    type,
    t,
    button,
    buttonNumber,
    x,
    y,
    clickCount,
    mods,
    points,
    deltaX,
    deltaY,
    pointDeltaX,
    pointDeltaY,
    continuous,
    scrollPhase,
    momentumPhase,
    keyCode,
    isRepeat,
    down,
    durationNanos,
    count
};
}  // namespace EventKeys

constexpr std::array<std::string_view, EventKeys::count> kEventKeys{
    "type",    "t",        "button", "buttonNumber", "x",           "y",          "clickCount",  "mods",
    "points",  "deltaX",   "deltaY", "pointDeltaX",  "pointDeltaY", "continuous", "scrollPhase", "momentumPhase",
    "keyCode", "isRepeat", "down",   "durationNanos"};

// The keys that belong to each type of event.
constexpr KeyMask keysOf(RecordingEvent::Kind kind) {
    using Kind = RecordingEvent::Kind;
    using namespace EventKeys;
    const KeyMask common = bit(type) | bit(t);
    switch (kind) {
        case Kind::mouseDown:
        case Kind::mouseUp:
            return common | bit(button) | bit(buttonNumber) | bit(x) | bit(y) | bit(clickCount) | bit(mods);
        case Kind::mousePath: return common | bit(points);
        case Kind::scroll:
            return common | bit(x) | bit(y) | bit(deltaX) | bit(deltaY) | bit(pointDeltaX) | bit(pointDeltaY) |
                   bit(continuous) | bit(scrollPhase) | bit(momentumPhase) | bit(mods);
        case Kind::keyDown:
        case Kind::keyUp: return common | bit(keyCode) | bit(mods) | bit(isRepeat);
        case Kind::flagsChanged: return common | bit(keyCode) | bit(mods) | bit(down);
        case Kind::idleGap: return common | bit(durationNanos);
    }
    return common;
}

std::optional<RecordingEvent::Kind> eventKindFromString(std::string_view text) {
    using Kind = RecordingEvent::Kind;
    static constexpr std::array<Kind, 8> kKinds{Kind::mouseDown, Kind::mouseUp, Kind::mousePath,    Kind::scroll,
                                                Kind::keyDown,   Kind::keyUp,   Kind::flagsChanged, Kind::idleGap};
    static const std::array<std::string_view, 8> kNames = [] {
        std::array<std::string_view, 8> names;
        for (std::size_t i = 0; i < kKinds.size(); ++i) names[i] = toString(kKinds[i]);
        return names;
    }();
    const std::size_t index = keyIndex(kNames, text);
    if (index == kKinds.size()) return std::nullopt;
    return kKinds[index];
}

// The fields of one event object as read; the defaults are those of missing
// optional keys. Points are read into a buffer kept for the whole document and
// copied out at their final size, instead of growing a list for every path.
struct EventFields {
    explicit EventFields(std::vector<PathPoint>& pointBuffer) : points(pointBuffer) {}

    std::vector<PathPoint>& points;
    std::string_view type;
    std::uint64_t t = 0;
    MouseButton button = MouseButton::left;
    std::int64_t buttonNumber = 0;
    double x = 0;
    double y = 0;
    std::int64_t clickCount = 1;
    std::uint64_t mods = 0;
    ScrollPayload scroll;
    std::uint16_t keyCode = 0;
    bool isRepeat = false;
    bool down = false;
    std::uint64_t durationNanos = 0;
};

using Mismatch = std::optional<RecordingDocumentError>;

Mismatch mismatch(const JsonLocation& at, std::string_view expected) {
    return RecordingDocumentError(at.toString(), std::string(expected));
}

// Reads a scalar with `get`; when it does not fit, checks that it is well-formed and notes what was expected.
template <typename T, typename Get>
Mismatch readScalar(od::value& value, const JsonLocation& at, T& out, Get get, std::string_view expected) {
    if (get(value, at, out)) return std::nullopt;
    validate(value, at);
    return mismatch(at, expected);
}

template <typename Integer>
Mismatch readIntegerField(od::value& value, const JsonLocation& at, Integer& out) {
    return readScalar(value, at, out, getInteger<Integer>, integerExpectation<Integer>());
}

Mismatch readDoubleField(od::value& value, const JsonLocation& at, double& out) {
    return readScalar(value, at, out, getDouble, "expected a number");
}

Mismatch readBoolField(od::value& value, const JsonLocation& at, bool& out) {
    return readScalar(value, at, out, getBool, "expected true or false");
}

Mismatch readButton(od::value& value, const JsonLocation& at, MouseButton& out) {
    constexpr std::string_view kExpected = R"(expected "left", "right", "middle" or "other")";
    std::string_view text;
    if (Mismatch problem = readScalar(value, at, text, getString, kExpected)) return problem;
    const std::optional<MouseButton> button = mouseButtonFromString(text);
    if (!button) return mismatch(at, kExpected);
    out = *button;
    return std::nullopt;
}

// A point is [dt, x, y]; elements after the third are ignored.
Mismatch readPoint(od::value& value, const JsonLocation& at, PathPoint& point) {
    od::array array;
    const simdjson::error_code error = value.get_array().get(array);
    if (error == simdjson::INCORRECT_TYPE) {
        validate(value, at);
        return mismatch(at, kPointShape);
    }
    check(error, at);
    Mismatch problem;
    std::size_t count = 0;
    for (auto result : array) {
        od::value element;
        const JsonLocation elementAt = at.element(count);
        check(result.get(element), elementAt);
        if (problem || count > 2) {
            validate(element, elementAt);
        } else if (count == 0) {
            problem = readIntegerField(element, elementAt, point.dt);
        } else {
            problem = readDoubleField(element, elementAt, count == 1 ? point.x : point.y);
        }
        ++count;
    }
    if (!problem && count < 3) problem = mismatch(at, kPointShape);
    return problem;
}

Mismatch readPoints(od::value& value, const JsonLocation& at, std::vector<PathPoint>& points) {
    od::array array;
    const simdjson::error_code error = value.get_array().get(array);
    if (error == simdjson::INCORRECT_TYPE) {
        validate(value, at);
        return mismatch(at, "expected an array");
    }
    check(error, at);
    Mismatch problem;
    std::size_t i = 0;
    for (auto result : array) {
        od::value element;
        check(result.get(element), at.element(i));
        if (problem) {
            validate(element, at.element(i));
        } else {
            PathPoint point;
            problem = readPoint(element, at.element(i), point);
            if (!problem) points.push_back(point);
        }
        ++i;
    }
    return problem;
}

Mismatch readEventField(std::size_t key, od::value& v, const JsonLocation& at, EventFields& f) {
    using namespace EventKeys;
    switch (key) {
        case type: return readScalar(v, at, f.type, getString, "expected a string");
        case t: return readIntegerField(v, at, f.t);
        case button: return readButton(v, at, f.button);
        case buttonNumber: return readIntegerField(v, at, f.buttonNumber);
        case x: return readDoubleField(v, at, f.x);
        case y: return readDoubleField(v, at, f.y);
        case clickCount: return readIntegerField(v, at, f.clickCount);
        case mods: return readIntegerField(v, at, f.mods);
        case points: return readPoints(v, at, f.points);
        case deltaX: return readIntegerField(v, at, f.scroll.deltaX);
        case deltaY: return readIntegerField(v, at, f.scroll.deltaY);
        case pointDeltaX: return readIntegerField(v, at, f.scroll.pointDeltaX);
        case pointDeltaY: return readIntegerField(v, at, f.scroll.pointDeltaY);
        case continuous: return readBoolField(v, at, f.scroll.isContinuous);
        case scrollPhase: return readIntegerField(v, at, f.scroll.scrollPhase);
        case momentumPhase: return readIntegerField(v, at, f.scroll.momentumPhase);
        case keyCode: return readIntegerField(v, at, f.keyCode);
        case isRepeat: return readBoolField(v, at, f.isRepeat);
        case down: return readBoolField(v, at, f.down);
        case durationNanos: return readIntegerField(v, at, f.durationNanos);
        default: return std::nullopt;
    }
}

RecordingEvent makeEvent(RecordingEvent::Kind kind, EventFields& f) {
    using Kind = RecordingEvent::Kind;
    switch (kind) {
        case Kind::mouseDown:
            return RecordingEvent::mouseDown({f.t, f.button, f.buttonNumber, f.x, f.y, f.clickCount, f.mods});
        case Kind::mouseUp:
            return RecordingEvent::mouseUp({f.t, f.button, f.buttonNumber, f.x, f.y, f.clickCount, f.mods});
        case Kind::mousePath: return RecordingEvent::mousePath({f.t, {f.points.begin(), f.points.end()}});
        case Kind::scroll: return RecordingEvent::scroll({f.t, f.x, f.y, f.scroll, f.mods});
        case Kind::keyDown: return RecordingEvent::keyDown({f.t, f.keyCode, f.mods, f.isRepeat});
        case Kind::keyUp: return RecordingEvent::keyUp({f.t, f.keyCode, f.mods, f.isRepeat});
        case Kind::flagsChanged: return RecordingEvent::flagsChanged({f.t, f.keyCode, f.mods, f.down});
        case Kind::idleGap: break;
    }
    return RecordingEvent::idleGap({f.t, f.durationNanos});
}

// Reads one event element. An unknown "type" is a RecordingEventDecodingError,
// thrown only after the whole element has been checked to be well-formed JSON.
RecordingEvent readEvent(od::value& value, const JsonLocation& at, std::vector<PathPoint>& pointBuffer) {
    using namespace EventKeys;
    od::object object = readObject(value, at);
    pointBuffer.clear();
    EventFields f(pointBuffer);
    KeyMask seen = 0;
    KeyMask repeated = 0;
    KeyMask read = 0;
    std::vector<std::pair<Key, RecordingDocumentError>> mismatches;
    for (auto result : object) {
        od::field field;
        check(std::move(result).get(field), at);
        const std::string_view name = keyOf(field, at);
        od::value& v = field.value();

        const std::size_t key = keyIndex(kEventKeys, name);
        const JsonLocation keyAt = at.child(key < count ? kEventKeys[key] : name);
        if (key == count || (seen & bit(key))) {
            if (key < count) repeated |= bit(key);
            validate(v, keyAt);
            continue;
        }
        seen |= bit(key);
        if (isNull(v, keyAt)) continue;
        if (Mismatch problem = readEventField(key, v, keyAt, f)) {
            mismatches.emplace_back(static_cast<Key>(key), std::move(*problem));
        } else {
            read |= bit(key);
        }
    }

    // The type first: it must be a string, and it decides which keys matter.
    for (const auto& [key, problem] : mismatches) {
        if (key == type) throw problem;
    }
    if (repeated & bit(type)) fail(at.child("type"), "the key appears more than once");
    if ((read & bit(type)) == 0) fail(at.child("type"), "required key is missing");
    const std::optional<RecordingEvent::Kind> kind = eventKindFromString(f.type);
    if (!kind) throw RecordingEventDecodingError::unknownType(std::string(f.type));

    const KeyMask relevant = keysOf(*kind);
    for (std::size_t key = 0; key < count; ++key) {
        if (repeated & relevant & bit(key)) fail(at.child(kEventKeys[key]), "the key appears more than once");
    }
    for (const auto& [key, problem] : mismatches) {
        if (relevant & bit(key)) throw problem;
    }
    requireKeys(read, {t}, kEventKeys, at);
    switch (*kind) {
        case RecordingEvent::Kind::mouseDown:
        case RecordingEvent::Kind::mouseUp: requireKeys(read, {button, x, y}, kEventKeys, at); break;
        case RecordingEvent::Kind::mousePath: requireKeys(read, {points}, kEventKeys, at); break;
        case RecordingEvent::Kind::scroll: requireKeys(read, {x, y}, kEventKeys, at); break;
        case RecordingEvent::Kind::keyDown:
        case RecordingEvent::Kind::keyUp: requireKeys(read, {keyCode}, kEventKeys, at); break;
        case RecordingEvent::Kind::flagsChanged: requireKeys(read, {keyCode, down}, kEventKeys, at); break;
        case RecordingEvent::Kind::idleGap: requireKeys(read, {durationNanos}, kEventKeys, at); break;
    }
    return makeEvent(*kind, f);
}

// Elements of an unknown type come back empty and are dropped; any other fault fails the document.
LossyRecordingEvent readLossyEvent(od::value& value, const JsonLocation& at, std::vector<PathPoint>& pointBuffer) {
    try {
        return {readEvent(value, at, pointBuffer)};
    } catch (const RecordingEventDecodingError&) {
        return {};
    }
}

// Hands each event of the array to `sink` in order. Error locations count
// every element of the document's array, dropped ones included, so that they
// point at the element in the file.
template <typename Sink>
void readEvents(od::value& value, const JsonLocation& at, Sink&& sink) {
    od::array array = readArray(value, at);
    std::vector<PathPoint> pointBuffer;
    std::size_t i = 0;
    for (auto result : array) {
        od::value element;
        check(result.get(element), at.element(i));
        LossyRecordingEvent lossy = readLossyEvent(element, at.element(i), pointBuffer);
        if (lossy.event) sink(std::move(*lossy.event));
        ++i;
    }
}

// --- Documents ------------------------------------------------------------------

void checkVersion(std::int64_t version) {
    if (version > Recording::currentSchemaVersion) throw RecordingDecodingError::unsupportedSchemaVersion(version);
}

// Reads everything but the events into `recording` and hands the events to `sink`.
template <typename Sink>
void readRecording(od::document& document, Recording& recording, Sink&& sink) {
    enum Key : std::size_t { schemaVersion, id, name, createdAt, environment, settings, trim, events, recordedEvents };
    static constexpr std::array<std::string_view, 9> kKeys{
        "schemaVersion", "id", "name", "createdAt", "environment", "settings", "trim", "events", "recordedEvents"};
    od::object object;
    check(document.get_object().get(object), kRoot, "the document to be a JSON object");
    const KeyMask read = readFields(object, kRoot, kKeys, [&](std::size_t key, od::value& v, const JsonLocation& at) {
        switch (key) {
            case schemaVersion:
                recording.schemaVersion = readInteger<std::int64_t>(v, at);
                checkVersion(recording.schemaVersion);
                break;
            case id: {
                const std::optional<Uuid> parsed = Uuid::parse(readString(v, at));
                if (!parsed) fail(at, "expected a UUID (8-4-4-4-12 hexadecimal digits)");
                recording.id = *parsed;
                break;
            }
            case name: recording.name = std::string(readString(v, at)); break;
            case createdAt: {
                const std::optional<Date> date = Iso8601::parse(readString(v, at));
                if (!date) fail(at, "expected a date and time such as 2026-12-05T16:43:01Z");
                recording.createdAt = *date;
                break;
            }
            case environment: recording.environment = readEnvironment(v, at); break;
            case settings: recording.settings = readSettings(v, at); break;
            case trim: recording.trim = readTrim(v, at); break;
            case events: readEvents(v, at, sink); break;
            case recordedEvents:
                recording.recordedEvents.emplace();
                readEvents(v, at,
                           [&](RecordingEvent&& event) { recording.recordedEvents->push_back(std::move(event)); });
                break;
        }
    });
    requireKeys(read, {schemaVersion, id, name, createdAt, events}, kKeys, kRoot);
}

// Reads "schemaVersion" on its own, as reading a document begins: fails when
// it is missing or not an integer.
std::int64_t readVersionAlone(od::parser& parser, const simdjson::padded_string_view& bytes) {
    od::document document;
    check(parser.iterate(bytes).get(document), kRoot);
    od::object object;
    check(document.get_object().get(object), kRoot, "the document to be a JSON object");
    const JsonLocation at = kRoot.child("schemaVersion");
    od::value value;
    const simdjson::error_code error = object.find_field_unordered("schemaVersion").get(value);
    if (error == simdjson::NO_SUCH_FIELD || (error == simdjson::SUCCESS && isNull(value, at))) {
        fail(at, "required key is missing");
    }
    check(error, kRoot);
    return readInteger<std::int64_t>(value, at);
}

// One JSON value per document: anything after it is an error, not ignored.
void requireEnd(od::document& document) {
    const char* position = nullptr;
    if (document.current_location().get(position) != simdjson::OUT_OF_BOUNDS) {
        fail(kRoot, "unexpected content after the document");
    }
}

// Gives back the buffers of a large document when the read ends, however it ends.
class BufferRelease {
public:
    explicit BufferRelease(od::parser& parser) : parser_(parser) {}
    ~BufferRelease() {
        if (parser_.capacity() > kRetainedCapacityBytes) parser_ = od::parser{};
    }
    BufferRelease(const BufferRelease&) = delete;
    BufferRelease& operator=(const BufferRelease&) = delete;

private:
    od::parser& parser_;
};

}  // namespace

RecordingJSONDecoder::RecordingJSONDecoder() : parser_(std::make_unique<Parser>()) {}
RecordingJSONDecoder::~RecordingJSONDecoder() = default;
RecordingJSONDecoder::RecordingJSONDecoder(RecordingJSONDecoder&&) noexcept = default;
RecordingJSONDecoder& RecordingJSONDecoder::operator=(RecordingJSONDecoder&&) noexcept = default;

Recording RecordingJSONDecoder::decode(std::string_view bytes) { return decode(DocumentBytes(bytes)); }

Recording RecordingJSONDecoder::decode(const DocumentBytes& bytes) {
    Recording recording;
    read(
        bytes, recording, [&](RecordingEvent&& event) { recording.events.push_back(std::move(event)); },
        [&](RecordingEvent&& event) { recording.recordedEvents->push_back(std::move(event)); },
        [&](std::size_t count) { recording.events.reserve(count); });
    return recording;
}

RecordingSummary RecordingJSONDecoder::decodeSummary(
    const DocumentBytes& bytes, const std::function<void(const RecordingEvent&)>& onEvent,
    const std::function<void(const RecordingEvent&)>& onRecordedEvent) {
    Recording header;
    RecordingSummary summary;
    std::int64_t recordedCount = 0;
    const auto recorded = [&](const RecordingEvent& event) {
        ++recordedCount;
        if (onRecordedEvent) onRecordedEvent(event);
    };
    read(
        bytes, header,
        [&](RecordingEvent&& event) {
            ++summary.eventCount;
            summary.durationNanos = event.endTimestamp();
            if (onEvent) onEvent(event);
        },
        [&](RecordingEvent&& event) { recorded(event); }, [](std::size_t) {});
    summary.schemaVersion = header.schemaVersion;
    summary.id = header.id;
    summary.name = std::move(header.name);
    summary.createdAt = header.createdAt;
    summary.environment = std::move(header.environment);
    summary.settings = std::move(header.settings);
    summary.trim = header.trim;
    if (header.recordedEvents) {
        // Those of a document read whole; a long one's went to `recorded` a batch at a time.
        for (const RecordingEvent& event : *header.recordedEvents) recorded(event);
        summary.recordedEventCount = recordedCount;
    }
    return summary;
}

template <typename Sink, typename RecordedSink, typename Expect>
void RecordingJSONDecoder::read(const DocumentBytes& bytes, Recording& recording, Sink&& sink,
                                RecordedSink&& recordedSink, Expect&& expect) {
    const std::optional<EventBatches> events = EventBatches::find(bytes.view(), kBatchBytes);
    if (!events) {
        readWhole(bytes, recording, sink);
        return;
    }
    // An edited recording's recorded events are read the same way, when they are plainly written.
    std::optional<EventBatches> recorded = EventBatches::find(bytes.view(), kBatchBytes, "recordedEvents");
    // Everything but the elements of the two arrays first, as if they were empty: the order in
    // which a document is checked, and small enough to parse whole.
    const std::string_view text = bytes.view();
    std::vector<const EventBatches*> arrays{&*events};
    if (recorded) arrays.push_back(&*recorded);
    std::sort(arrays.begin(), arrays.end(),
              [](const EventBatches* a, const EventBatches* b) { return a->arrayBegin < b->arrayBegin; });
    std::string header;
    std::size_t from = 0;
    for (const EventBatches* array : arrays) {
        header.append(text.substr(from, array->arrayBegin + 1 - from));
        from = array->arrayEnd - 1;
    }
    header.append(text.substr(from));
    readWhole(DocumentBytes(header), recording, [](RecordingEvent&&) {});
    expect(events->elementCount);
    readBatches(text, *events, kRoot.child("events"), sink);
    if (recorded) readBatches(text, *recorded, kRoot.child("recordedEvents"), recordedSink);
}

template <typename Sink>
void RecordingJSONDecoder::readBatches(std::string_view text, const EventBatches& events, const JsonLocation& eventsAt,
                                       Sink&& sink) {
    // The elements, a batch at a time, each parsed as an array of its own.
    BufferRelease release(parser_->parser);
    DocumentBytes batchBytes;
    std::vector<PathPoint> pointBuffer;
    std::size_t index = 0;
    for (const EventBatches::Batch& batch : events.batches) {
        const std::string_view elements = text.substr(batch.begin, batch.end - batch.begin);
        char* data = batchBytes.resize(elements.size() + 2);
        data[0] = '[';
        elements.copy(data + 1, elements.size());
        data[elements.size() + 1] = ']';
        const simdjson::padded_string_view padded(data, batchBytes.size(),
                                                  batchBytes.size() + DocumentBytes::paddingBytes);
        od::document document;
        check(parser_->parser.iterate(padded).get(document), kRoot);
        od::array array;
        check(document.get_array().get(array), eventsAt);
        for (auto result : array) {
            od::value element;
            check(result.get(element), eventsAt.element(index));
            LossyRecordingEvent lossy = readLossyEvent(element, eventsAt.element(index), pointBuffer);
            if (lossy.event) sink(std::move(*lossy.event));
            ++index;
        }
        requireEnd(document);
    }
}

template <typename Sink>
void RecordingJSONDecoder::readWhole(const DocumentBytes& bytes, Recording& recording, Sink&& sink) {
    static_assert(DocumentBytes::paddingBytes >= simdjson::SIMDJSON_PADDING);
    const simdjson::padded_string_view padded(bytes.view().data(), bytes.size(),
                                              bytes.size() + DocumentBytes::paddingBytes);
    BufferRelease release(parser_->parser);
    od::document document;
    check(parser_->parser.iterate(padded).get(document), kRoot);
    try {
        readRecording(document, recording, sink);
        requireEnd(document);
    } catch (const RecordingDocumentError&) {
        // The version is read in document order, but it decides first: a newer
        // layout that fails before its version is read is still a newer document,
        // and a missing or malformed version is the first fault to report.
        checkVersion(readVersionAlone(parser_->parser, padded));
        throw;
    }
}

RecordingEvent RecordingJSONDecoder::decodeEvent(std::string_view bytes) {
    const simdjson::padded_string padded(bytes);
    BufferRelease release(parser_->parser);
    od::document document;
    check(parser_->parser.iterate(padded).get(document), kRoot);
    od::value value;
    check(document.get_value().get(value), kRoot, "an object");
    std::vector<PathPoint> pointBuffer;
    RecordingEvent event = readEvent(value, kRoot, pointBuffer);
    requireEnd(document);
    return event;
}

}  // namespace brevanor
