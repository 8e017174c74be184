#include "core/model/HotkeyChordJSON.h"

#include <simdjson.h>

#include <limits>

#include "core/model/JsonWriter.h"

namespace brevanor {

namespace {

constexpr auto kMostModifiers = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

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

std::optional<std::vector<std::uint8_t>> HotkeyChordJSON::encode(const HotkeyChord& chord) {
    if (chord.modifiers > kMostModifiers) return std::nullopt;
    JsonWriter w;
    w.beginObject();
    w.key("keyCode").integer(chord.keyCode);
    w.key("modifiers").integer(chord.modifiers);
    w.endObject();
    const std::string text = w.take();
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<HotkeyChord> HotkeyChordJSON::decode(const std::vector<std::uint8_t>& data) {
    // Nothing to read (simdjson would copy from the null pointer of an empty vector).
    if (data.empty()) return std::nullopt;
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
    const auto flags = wholeNumber(modifiers, kMostModifiers);
    if (!code || !flags) return std::nullopt;
    return HotkeyChord{static_cast<std::uint16_t>(*code), *flags};
}

}  // namespace brevanor
