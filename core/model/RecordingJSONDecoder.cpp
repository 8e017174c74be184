#include "core/model/RecordingJSONDecoder.h"

#include <simdjson.h>

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "core/model/Iso8601.h"
#include "core/model/LossyRecordingEvent.h"
#include "core/model/RecordingDecodingError.h"
#include "core/model/RecordingDocumentError.h"
#include "core/model/RecordingEventDecodingError.h"

namespace brevanor {

namespace od = simdjson::ondemand;
using simdjson::error_code;

struct RecordingJSONDecoder::Parser {
    od::parser parser;
};

namespace {

// A parser that has read a large document keeps buffers several times its size;
// beyond this capacity they are given back after the document.
constexpr std::size_t kRetainedCapacityBytes = 4 * 1024 * 1024;

// How deep values under unknown keys may nest. The format itself nests a few
// levels only; the limit keeps hostile documents from exhausting the stack.
constexpr int kMaxUnknownDepth = 64;

constexpr std::string_view kMissing = "required key is missing";
constexpr std::string_view kPointShape = "expected an array of three numbers (dt, x, y)";

// Where a value sits in the document. Locations are chained on the stack and
// turned into text ("events[12].keyCode") only when reading fails.
struct Location {
    const Location* parent = nullptr;
    std::string_view key;
    std::size_t index = 0;
    bool isIndex = false;

    Location child(std::string_view name) const { return {this, name, 0, false}; }
    Location element(std::size_t i) const { return {this, {}, i, true}; }

    std::string toString() const {
        std::string text = parent ? parent->toString() : std::string();
        if (isIndex) return text + "[" + std::to_string(index) + "]";
        if (key.empty()) return text;
        return text.empty() ? std::string(key) : text + "." + std::string(key);
    }
};

const Location kRoot{};

[[noreturn]] void fail(const Location& at, std::string_view problem) {
    throw RecordingDocumentError(at.toString(), std::string(problem));
}

std::string describe(error_code error) {
    switch (error) {
        case simdjson::EMPTY: return "the document is empty";
        case simdjson::UTF8_ERROR: return "the document is not valid UTF-8";
        case simdjson::CAPACITY: return "the document is too large";
        case simdjson::DEPTH_ERROR: return "values are nested too deeply";
        case simdjson::NUMBER_ERROR: return "malformed number or number out of range";
        default: return std::string("malformed JSON (") + simdjson::error_message(error) + ")";
    }
}

// Fails with "expected <what>" when the value has another JSON type, else with the parser's complaint.
void check(error_code error, const Location& at, std::string_view what) {
    if (error == simdjson::SUCCESS) return;
    if (error == simdjson::INCORRECT_TYPE) fail(at, "expected " + std::string(what));
    fail(at, describe(error));
}

void check(error_code error, const Location& at) {
    if (error != simdjson::SUCCESS) fail(at, describe(error));
}

// --- Values -----------------------------------------------------------------

template <typename Integer>
std::string integerRange() {
    return "an integer from " + std::to_string(std::numeric_limits<Integer>::min()) + " to " +
           std::to_string(std::numeric_limits<Integer>::max());
}

// Any JSON number with an integral value inside the range: 3, 3.0 and 3e0 all read as 3.
template <typename Integer>
Integer readInteger(od::value& value, const Location& at) {
    od::number number;
    const error_code error = value.get_number().get(number);
    if (error == simdjson::NUMBER_ERROR) {
        // A well-formed integer beyond 64 bits still reads as a double: out of range, not malformed.
        double ignored = 0;
        if (value.get_double().get(ignored) == simdjson::SUCCESS) fail(at, "expected " + integerRange<Integer>());
    }
    check(error, at, integerRange<Integer>());
    switch (number.get_number_type()) {
        case od::number_type::signed_integer:
            if (std::in_range<Integer>(number.get_int64())) return static_cast<Integer>(number.get_int64());
            break;
        case od::number_type::unsigned_integer:
            if (std::in_range<Integer>(number.get_uint64())) return static_cast<Integer>(number.get_uint64());
            break;
        case od::number_type::floating_point_number: {
            // Exact bounds: the maxima plus one are powers of two, which doubles hold exactly.
            const double real = number.get_double();
            constexpr double lowest = static_cast<double>(std::numeric_limits<Integer>::min());
            constexpr double beyond = static_cast<double>(std::numeric_limits<Integer>::max()) + 1.0;
            if (std::trunc(real) == real && real >= lowest && real < beyond) return static_cast<Integer>(real);
            break;
        }
    }
    fail(at, "expected " + integerRange<Integer>());
}

double readDouble(od::value& value, const Location& at) {
    double real = 0;
    check(value.get_double().get(real), at, "a number");
    return real;
}

bool readBool(od::value& value, const Location& at) {
    bool flag = false;
    check(value.get_bool().get(flag), at, "true or false");
    return flag;
}

// The text lives in the parser's buffer until the next document.
std::string_view readString(od::value& value, const Location& at) {
    std::string_view text;
    check(value.get_string().get(text), at, "a string");
    return text;
}

od::object readObject(od::value& value, const Location& at) {
    od::object object;
    check(value.get_object().get(object), at, "an object");
    return object;
}

od::array readArray(od::value& value, const Location& at) {
    od::array array;
    check(value.get_array().get(array), at, "an array");
    return array;
}

// True for a well-formed null, which stands for a missing key.
bool isNull(od::value& value, const Location& at) {
    od::json_type type;
    check(value.type().get(type), at);
    if (type != od::json_type::null) return false;
    bool null = false;
    if (value.is_null().get(null) != simdjson::SUCCESS || !null) fail(at, "malformed JSON (expected null)");
    return true;
}

// Walks a value nobody reads (unknown keys, other types' keys, unknown events)
// so that malformed text inside it still fails the document.
void validate(od::value& value, const Location& at, int depth = 0) {
    if (depth > kMaxUnknownDepth) fail(at, describe(simdjson::DEPTH_ERROR));
    od::json_type type;
    check(value.type().get(type), at);
    switch (type) {
        case od::json_type::object: {
            od::object object = readObject(value, at);
            for (auto result : object) {
                od::field field;
                check(std::move(result).get(field), at);
                std::string_view key;
                check(field.unescaped_key().get(key), at);
                validate(field.value(), at.child(key), depth + 1);
            }
            break;
        }
        case od::json_type::array: {
            od::array array = readArray(value, at);
            std::size_t i = 0;
            for (auto result : array) {
                od::value element;
                check(std::move(result).get(element), at.element(i));
                validate(element, at.element(i), depth + 1);
                ++i;
            }
            break;
        }
        case od::json_type::number: {
            double ignored = 0;
            check(value.get_double().get(ignored), at);
            break;
        }
        case od::json_type::string: readString(value, at); break;
        case od::json_type::boolean: readBool(value, at); break;
        case od::json_type::null: isNull(value, at); break;
    }
}

template <typename Enum>
Enum readEnum(od::value& value, const Location& at, std::optional<Enum> (*fromString)(std::string_view),
              std::string_view choices) {
    const std::optional<Enum> parsed = fromString(readString(value, at));
    if (!parsed) fail(at, "expected " + std::string(choices));
    return *parsed;
}

// --- Objects ----------------------------------------------------------------

using KeyMask = std::uint32_t;

constexpr KeyMask bit(std::size_t index) { return KeyMask{1} << index; }

template <std::size_t N>
constexpr KeyMask allKeys() {
    return N == 32 ? ~KeyMask{0} : bit(N) - 1;
}

// Reads each field of `object` once, in document order. A field named in
// `keys` and in `wanted` goes to `handle(index, value, location)`, unless its
// value is null (a missing key); every other field is only validated. A wanted
// key that appears twice makes the document ambiguous and fails it. Returns the
// wanted keys that were present with a value.
template <std::size_t N, typename Handle>
KeyMask readFields(od::object& object, const Location& at, const std::array<std::string_view, N>& keys, KeyMask wanted,
                   Handle&& handle) {
    static_assert(N <= 32);
    KeyMask seen = 0;
    KeyMask read = 0;
    for (auto result : object) {
        od::field field;
        check(std::move(result).get(field), at);
        std::string_view name;
        check(field.unescaped_key().get(name), at);
        od::value& value = field.value();

        std::size_t index = 0;
        while (index < N && keys[index] != name) ++index;
        if (index == N || (wanted & bit(index)) == 0) {
            validate(value, at.child(name));
            continue;
        }
        const Location keyAt = at.child(keys[index]);
        if (seen & bit(index)) fail(keyAt, "the key appears more than once");
        seen |= bit(index);
        if (isNull(value, keyAt)) continue;
        handle(index, value, keyAt);
        read |= bit(index);
    }
    return read;
}

template <std::size_t N, typename Handle>
KeyMask readFields(od::object& object, const Location& at, const std::array<std::string_view, N>& keys,
                   Handle&& handle) {
    return readFields(object, at, keys, allKeys<N>(), std::forward<Handle>(handle));
}

template <std::size_t N>
void require(KeyMask read, std::size_t index, const std::array<std::string_view, N>& keys, const Location& at) {
    if ((read & bit(index)) == 0) fail(at.child(keys[index]), kMissing);
}

// The value of one key, looked up ahead of the others because it decides how
// they are read. Absent when the key is missing or null.
std::optional<od::value> findField(od::object& object, std::string_view name, const Location& at) {
    od::value value;
    const error_code error = object.find_field_unordered(name).get(value);
    if (error == simdjson::NO_SUCH_FIELD) return std::nullopt;
    check(error, at);
    if (isNull(value, at.child(name))) return std::nullopt;
    return value;
}

void rewind(od::object& object, const Location& at) {
    bool ignored = false;
    check(object.reset().get(ignored), at);
}

FrameRect readFrame(od::value& value, const Location& at) {
    enum Key : std::size_t { x, y, width, height };
    static constexpr std::array<std::string_view, 4> kKeys{"x", "y", "width", "height"};
    od::object object = readObject(value, at);
    FrameRect frame;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const Location& keyAt) {
        switch (key) {
            case x: frame.x = readDouble(v, keyAt); break;
            case y: frame.y = readDouble(v, keyAt); break;
            case width: frame.width = readDouble(v, keyAt); break;
            case height: frame.height = readDouble(v, keyAt); break;
        }
    });
    for (std::size_t key : {x, y, width, height}) require(read, key, kKeys, at);
    return frame;
}

DisplayInfo readDisplay(od::value& value, const Location& at) {
    enum Key : std::size_t { id, frame, scale };
    static constexpr std::array<std::string_view, 3> kKeys{"id", "frame", "scale"};
    od::object object = readObject(value, at);
    DisplayInfo display;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const Location& keyAt) {
        switch (key) {
            case id: display.id = readInteger<std::uint32_t>(v, keyAt); break;
            case frame: display.frame = readFrame(v, keyAt); break;
            case scale: display.scale = readDouble(v, keyAt); break;
        }
    });
    for (std::size_t key : {id, frame, scale}) require(read, key, kKeys, at);
    return display;
}

FrontmostAppInfo readFrontmostApp(od::value& value, const Location& at) {
    enum Key : std::size_t { bundleID, name, windowTitle, windowFrame };
    static constexpr std::array<std::string_view, 4> kKeys{"bundleID", "name", "windowTitle", "windowFrame"};
    od::object object = readObject(value, at);
    FrontmostAppInfo app;
    readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const Location& keyAt) {
        switch (key) {
            case bundleID: app.bundleID = std::string(readString(v, keyAt)); break;
            case name: app.name = std::string(readString(v, keyAt)); break;
            case windowTitle: app.windowTitle = std::string(readString(v, keyAt)); break;
            case windowFrame: app.windowFrame = readFrame(v, keyAt); break;
        }
    });
    return app;
}

EnvironmentSnapshot readEnvironment(od::value& value, const Location& at) {
    enum Key : std::size_t { displays, frontmostApp, keyboardInputSourceID };
    static constexpr std::array<std::string_view, 3> kKeys{"displays", "frontmostApp", "keyboardInputSourceID"};
    od::object object = readObject(value, at);
    EnvironmentSnapshot environment;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const Location& keyAt) {
        switch (key) {
            case displays: {
                od::array array = readArray(v, keyAt);
                std::size_t i = 0;
                for (auto result : array) {
                    od::value element;
                    check(std::move(result).get(element), keyAt.element(i));
                    environment.displays.push_back(readDisplay(element, keyAt.element(i)));
                    ++i;
                }
                break;
            }
            case frontmostApp: environment.frontmostApp = readFrontmostApp(v, keyAt); break;
            case keyboardInputSourceID: environment.keyboardInputSourceID = std::string(readString(v, keyAt)); break;
        }
    });
    require(read, displays, kKeys, at);
    return environment;
}

HotkeyChord readHotkey(od::value& value, const Location& at) {
    enum Key : std::size_t { keyCode, modifiers };
    static constexpr std::array<std::string_view, 2> kKeys{"keyCode", "modifiers"};
    od::object object = readObject(value, at);
    HotkeyChord chord;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const Location& keyAt) {
        switch (key) {
            case keyCode: chord.keyCode = readInteger<std::uint16_t>(v, keyAt); break;
            case modifiers: chord.modifiers = readInteger<std::uint64_t>(v, keyAt); break;
        }
    });
    for (std::size_t key : {keyCode, modifiers}) require(read, key, kKeys, at);
    return chord;
}

RecordingSettings readSettings(od::value& value, const Location& at) {
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
    // Every key is optional; values outside the editable ranges are kept as they stand.
    RecordingSettings settings;
    readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const Location& keyAt) {
        switch (key) {
            case repeatCount: settings.repeatCount = readInteger<std::int64_t>(v, keyAt); break;
            case repeatInfinite: settings.repeatInfinite = readBool(v, keyAt); break;
            case delayBetweenRepeatsSec: settings.delayBetweenRepeatsSec = readDouble(v, keyAt); break;
            case speed: settings.speed = readDouble(v, keyAt); break;
            case cursorMode:
                settings.cursorMode = readEnum<CursorMode>(
                    v, keyAt, cursorModeFromString, "\"absolute\", \"relativeToScreen\" or \"relativeToCursor\"");
                break;
            case playHotkey: settings.playHotkey = readHotkey(v, keyAt); break;
            case notes: settings.notes = std::string(readString(v, keyAt)); break;
            case containsSensitiveInput: settings.containsSensitiveInput = readBool(v, keyAt); break;
            case extraDelayBeforeClickMs: settings.extraDelayBeforeClickMs = readInteger<std::int64_t>(v, keyAt); break;
            case silencedWarnings: {
                od::array array = readArray(v, keyAt);
                std::size_t i = 0;
                for (auto result : array) {
                    od::value element;
                    check(std::move(result).get(element), keyAt.element(i));
                    settings.silencedWarnings.insert(readEnum<PreflightWarningKind>(
                        element, keyAt.element(i), preflightWarningKindFromString,
                        "\"displayMismatch\", \"appNotRunning\" or \"inputSourceMismatch\""));
                    ++i;
                }
                break;
            }
        }
    });
    return settings;
}

TrimRange readTrim(od::value& value, const Location& at) {
    enum Key : std::size_t { leadingNanos, trailingNanos };
    static constexpr std::array<std::string_view, 2> kKeys{"leadingNanos", "trailingNanos"};
    od::object object = readObject(value, at);
    TrimRange trim;
    const KeyMask read = readFields(object, at, kKeys, [&](std::size_t key, od::value& v, const Location& keyAt) {
        switch (key) {
            case leadingNanos: trim.leadingNanos = readInteger<std::uint64_t>(v, keyAt); break;
            case trailingNanos: trim.trailingNanos = readInteger<std::uint64_t>(v, keyAt); break;
        }
    });
    for (std::size_t key : {leadingNanos, trailingNanos}) require(read, key, kKeys, at);
    return trim;
}

// --- Events -----------------------------------------------------------------

// Every key any event type has; each type reads its own and ignores the others.
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
    for (Kind kind : {Kind::mouseDown, Kind::mouseUp, Kind::mousePath, Kind::scroll, Kind::keyDown, Kind::keyUp,
                      Kind::flagsChanged, Kind::idleGap}) {
        if (toString(kind) == text) return kind;
    }
    return std::nullopt;
}

// The fields of one event object as read; the defaults are those of missing optional keys.
struct EventFields {
    std::uint64_t t = 0;
    MouseButton button = MouseButton::left;
    std::int64_t buttonNumber = 0;
    double x = 0;
    double y = 0;
    std::int64_t clickCount = 1;
    std::uint64_t mods = 0;
    std::vector<PathPoint> points;
    std::int64_t deltaX = 0;
    std::int64_t deltaY = 0;
    std::int64_t pointDeltaX = 0;
    std::int64_t pointDeltaY = 0;
    bool continuous = false;
    std::uint32_t scrollPhase = 0;
    std::uint32_t momentumPhase = 0;
    std::uint16_t keyCode = 0;
    bool isRepeat = false;
    bool down = false;
    std::uint64_t durationNanos = 0;
};

// A point is [dt, x, y]; elements after the third are ignored.
PathPoint readPoint(od::value& value, const Location& at) {
    od::array array;
    check(value.get_array().get(array), at, kPointShape);
    PathPoint point;
    std::size_t count = 0;
    for (auto result : array) {
        od::value element;
        const Location elementAt = at.element(count);
        check(std::move(result).get(element), elementAt);
        switch (count) {
            case 0: point.dt = readInteger<std::uint64_t>(element, elementAt); break;
            case 1: point.x = readDouble(element, elementAt); break;
            case 2: point.y = readDouble(element, elementAt); break;
            default: validate(element, elementAt); break;
        }
        ++count;
    }
    if (count < 3) fail(at, kPointShape);
    return point;
}

std::vector<PathPoint> readPoints(od::value& value, const Location& at) {
    od::array array = readArray(value, at);
    std::vector<PathPoint> points;
    std::size_t i = 0;
    for (auto result : array) {
        od::value element;
        check(std::move(result).get(element), at.element(i));
        points.push_back(readPoint(element, at.element(i)));
        ++i;
    }
    return points;
}

void readEventField(std::size_t key, od::value& v, const Location& at, EventFields& f) {
    using namespace EventKeys;
    switch (key) {
        case type: readString(v, at); break;  // looked up first; read again only to check it
        case t: f.t = readInteger<std::uint64_t>(v, at); break;
        case button:
            f.button =
                readEnum<MouseButton>(v, at, mouseButtonFromString, "\"left\", \"right\", \"middle\" or \"other\"");
            break;
        case buttonNumber: f.buttonNumber = readInteger<std::int64_t>(v, at); break;
        case x: f.x = readDouble(v, at); break;
        case y: f.y = readDouble(v, at); break;
        case clickCount: f.clickCount = readInteger<std::int64_t>(v, at); break;
        case mods: f.mods = readInteger<std::uint64_t>(v, at); break;
        case points: f.points = readPoints(v, at); break;
        case deltaX: f.deltaX = readInteger<std::int64_t>(v, at); break;
        case deltaY: f.deltaY = readInteger<std::int64_t>(v, at); break;
        case pointDeltaX: f.pointDeltaX = readInteger<std::int64_t>(v, at); break;
        case pointDeltaY: f.pointDeltaY = readInteger<std::int64_t>(v, at); break;
        case continuous: f.continuous = readBool(v, at); break;
        case scrollPhase: f.scrollPhase = readInteger<std::uint32_t>(v, at); break;
        case momentumPhase: f.momentumPhase = readInteger<std::uint32_t>(v, at); break;
        case keyCode: f.keyCode = readInteger<std::uint16_t>(v, at); break;
        case isRepeat: f.isRepeat = readBool(v, at); break;
        case down: f.down = readBool(v, at); break;
        case durationNanos: f.durationNanos = readInteger<std::uint64_t>(v, at); break;
        default: break;
    }
}

// Reads one event element. An unknown "type" is a RecordingEventDecodingError,
// thrown only after the element has been checked to be well-formed JSON.
RecordingEvent readEvent(od::value& value, const Location& at) {
    using Kind = RecordingEvent::Kind;
    using namespace EventKeys;
    od::object object = readObject(value, at);
    const Location typeAt = at.child("type");
    std::optional<od::value> typeValue = findField(object, "type", at);
    if (!typeValue) fail(typeAt, kMissing);
    const std::string_view typeText = readString(*typeValue, typeAt);
    const std::optional<Kind> kind = eventKindFromString(typeText);
    if (!kind) {
        std::string unknown(typeText);
        rewind(object, at);
        readFields(object, at, kEventKeys, 0, [](std::size_t, od::value&, const Location&) {});
        throw RecordingEventDecodingError::unknownType(std::move(unknown));
    }

    rewind(object, at);
    EventFields f;
    const KeyMask read =
        readFields(object, at, kEventKeys, keysOf(*kind),
                   [&](std::size_t key, od::value& v, const Location& keyAt) { readEventField(key, v, keyAt, f); });
    const auto need = [&](std::initializer_list<Key> keys) {
        for (Key key : keys) require(read, key, kEventKeys, at);
    };
    need({t});
    switch (*kind) {
        case Kind::mouseDown:
        case Kind::mouseUp: {
            need({button, x, y});
            const MouseButtonEvent e{f.t, f.button, f.buttonNumber, f.x, f.y, f.clickCount, f.mods};
            return *kind == Kind::mouseDown ? RecordingEvent::mouseDown(e) : RecordingEvent::mouseUp(e);
        }
        case Kind::mousePath: need({points}); return RecordingEvent::mousePath({f.t, std::move(f.points)});
        case Kind::scroll:
            need({x, y});
            return RecordingEvent::scroll({f.t, f.x, f.y, f.deltaX, f.deltaY, f.pointDeltaX, f.pointDeltaY,
                                           f.continuous, f.scrollPhase, f.momentumPhase, f.mods});
        case Kind::keyDown:
        case Kind::keyUp: {
            need({keyCode});
            const KeyEvent e{f.t, f.keyCode, f.mods, f.isRepeat};
            return *kind == Kind::keyDown ? RecordingEvent::keyDown(e) : RecordingEvent::keyUp(e);
        }
        case Kind::flagsChanged:
            need({keyCode, down});
            return RecordingEvent::flagsChanged({f.t, f.keyCode, f.mods, f.down});
        case Kind::idleGap: need({durationNanos}); return RecordingEvent::idleGap({f.t, f.durationNanos});
    }
    fail(typeAt, "unknown event type");
}

// Elements of an unknown type come back empty and are dropped; any other fault fails the document.
LossyRecordingEvent readLossyEvent(od::value& value, const Location& at) {
    try {
        return {readEvent(value, at)};
    } catch (const RecordingEventDecodingError&) {
        return {};
    }
}

// Error locations count every element of the document's array, dropped ones included,
// so that they point at the element in the file.
std::vector<RecordingEvent> readEvents(od::value& value, const Location& at) {
    od::array array = readArray(value, at);
    std::vector<RecordingEvent> events;
    std::size_t i = 0;
    for (auto result : array) {
        od::value element;
        check(std::move(result).get(element), at.element(i));
        LossyRecordingEvent lossy = readLossyEvent(element, at.element(i));
        if (lossy.event) events.push_back(std::move(*lossy.event));
        ++i;
    }
    return events;
}

// --- Documents --------------------------------------------------------------

Recording readRecording(od::document& document) {
    enum Key : std::size_t { schemaVersion, id, name, createdAt, environment, settings, trim, events };
    static constexpr std::array<std::string_view, 8> kKeys{"schemaVersion", "id",       "name", "createdAt",
                                                           "environment",   "settings", "trim", "events"};
    od::object object;
    check(document.get_object().get(object), kRoot, "the document to be a JSON object");

    // The version decides whether this reader understands the rest at all.
    std::optional<od::value> versionValue = findField(object, "schemaVersion", kRoot);
    if (!versionValue) fail(kRoot.child("schemaVersion"), kMissing);
    const auto version = readInteger<std::int64_t>(*versionValue, kRoot.child("schemaVersion"));
    if (version > Recording::currentSchemaVersion) throw RecordingDecodingError::unsupportedSchemaVersion(version);

    rewind(object, kRoot);
    Recording recording;
    recording.schemaVersion = version;
    const KeyMask read = readFields(object, kRoot, kKeys, [&](std::size_t key, od::value& v, const Location& at) {
        switch (key) {
            case schemaVersion: readInteger<std::int64_t>(v, at); break;
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
            case events: recording.events = readEvents(v, at); break;
        }
    });
    for (std::size_t key : {id, name, createdAt, events}) require(read, key, kKeys, kRoot);
    return recording;
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

Recording RecordingJSONDecoder::decode(std::string_view bytes) {
    const simdjson::padded_string padded(bytes);
    BufferRelease release(parser_->parser);
    od::document document;
    check(parser_->parser.iterate(padded).get(document), kRoot);
    Recording recording = readRecording(document);
    requireEnd(document);
    return recording;
}

RecordingEvent RecordingJSONDecoder::decodeEvent(std::string_view bytes) {
    const simdjson::padded_string padded(bytes);
    BufferRelease release(parser_->parser);
    od::document document;
    check(parser_->parser.iterate(padded).get(document), kRoot);
    od::value value;
    check(document.get_value().get(value), kRoot, "an object");
    RecordingEvent event = readEvent(value, kRoot);
    requireEnd(document);
    return event;
}

}  // namespace brevanor
