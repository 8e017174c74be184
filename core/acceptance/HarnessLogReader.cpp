#include "core/acceptance/HarnessLogReader.h"

#include <simdjson.h>

#include <algorithm>
#include <limits>
#include <string>

#include "core/acceptance/HarnessLogError.h"

namespace brevanor {

namespace {

using Kind = HarnessLogError::Kind;

bool isBlank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

// Decodes the objects of one log, line by line, into entries.
class LineDecoder {
public:
    explicit LineDecoder(std::size_t maxLineBytes) : parser_(maxLineBytes) {}

    // Reads `line` into `entry`. `readable` is how many bytes may be read from
    // where the line begins: the parser reads a little past a line's end, so a
    // line is parsed where it stands when the log's bytes go on far enough, and
    // from a padded copy only at the log's end.
    void decode(std::string_view line, std::size_t readable, std::uint64_t lineNumber, HarnessLogEntry& entry) {
        lineNumber_ = lineNumber;
        const char* json = line.data();
        if (readable < line.size() + simdjson::SIMDJSON_PADDING) {
            buffer_.reserve(line.size() + simdjson::SIMDJSON_PADDING);
            buffer_.assign(line);
            json = buffer_.data();
        }
        simdjson::dom::element document;
        if (const auto error = parser_.parse(json, line.size(), false).get(document)) {
            throw HarnessLogError(Kind::invalidJson, lineNumber, simdjson::error_message(error));
        }
        simdjson::dom::object object;
        if (document.get(object) != simdjson::SUCCESS) throw HarnessLogError(Kind::notAnObject, lineNumber, "");

        bool hasT = false, hasType = false, hasX = false, hasY = false, hasMods = false, hasSynthetic = false;
        for (const auto field : object) {
            const std::string_view key = field.key;
            const simdjson::dom::element value = field.value;
            if (key == "t") {
                entry.t = unsignedValue(value, key, std::numeric_limits<std::uint64_t>::max());
                hasT = true;
            } else if (key == "type") {
                entry.type = text(value, key);
                hasType = true;
            } else if (key == "x") {
                entry.x = number(value, key);
                hasX = true;
            } else if (key == "y") {
                entry.y = number(value, key);
                hasY = true;
            } else if (key == "button") {
                if (value.is_null()) {
                    entry.button.reset();
                } else {
                    entry.button.emplace(text(value, key));
                }
            } else if (key == "clickCount") {
                entry.clickCount = value.is_null() ? std::nullopt : std::optional(signedValue(value, key));
            } else if (key == "keyCode") {
                constexpr std::uint64_t kLargestKeyCode = std::numeric_limits<std::uint16_t>::max();
                entry.keyCode =
                    value.is_null()
                        ? std::nullopt
                        : std::optional(static_cast<std::uint16_t>(unsignedValue(value, key, kLargestKeyCode)));
            } else if (key == "mods") {
                entry.mods = unsignedValue(value, key, std::numeric_limits<std::uint64_t>::max());
                hasMods = true;
            } else if (key == "synthetic") {
                entry.synthetic = boolean(value, key);
                hasSynthetic = true;
            }
        }
        require(hasT, "t");
        require(hasType, "type");
        require(hasX, "x");
        require(hasY, "y");
        require(hasMods, "mods");
        require(hasSynthetic, "synthetic");
    }

private:
    [[noreturn]] void invalid(std::string_view key, std::string_view expected) const {
        throw HarnessLogError(Kind::invalidValue, lineNumber_,
                              "\"" + std::string(key) + "\" must be " + std::string(expected));
    }

    void require(bool present, const char* key) const {
        if (!present) throw HarnessLogError(Kind::missingKey, lineNumber_, key);
    }

    std::uint64_t unsignedValue(simdjson::dom::element value, std::string_view key, std::uint64_t max) const {
        std::uint64_t number = 0;
        if (value.get(number) != simdjson::SUCCESS || number > max) {
            invalid(key, "a whole number from 0 to " + std::to_string(max));
        }
        return number;
    }

    std::int64_t signedValue(simdjson::dom::element value, std::string_view key) const {
        std::int64_t number = 0;
        if (value.get(number) != simdjson::SUCCESS) invalid(key, "a whole number");
        return number;
    }

    double number(simdjson::dom::element value, std::string_view key) const {
        double result = 0;
        if (value.get(result) != simdjson::SUCCESS) invalid(key, "a number");
        return result;
    }

    std::string_view text(simdjson::dom::element value, std::string_view key) const {
        std::string_view result;
        if (value.get(result) != simdjson::SUCCESS) invalid(key, "a text");
        return result;
    }

    bool boolean(simdjson::dom::element value, std::string_view key) const {
        bool result = false;
        if (value.get(result) != simdjson::SUCCESS) invalid(key, "true or false");
        return result;
    }

    simdjson::dom::parser parser_;
    std::string buffer_;
    std::uint64_t lineNumber_ = 0;
};

}  // namespace

std::vector<HarnessLogEntry> HarnessLogReader::read(std::string_view bytes) const {
    std::vector<HarnessLogEntry> entries;
    // A line with every required key takes at least this many bytes: reserving
    // for that many lines avoids moving the entries as the list grows, and
    // never reserves for more than the bytes could hold.
    constexpr std::size_t kShortestEntryBytes = 56;
    entries.reserve(std::min(limits_.maxEntries, bytes.size() / kShortestEntryBytes + 1));
    LineDecoder decoder(limits_.maxLineBytes);
    std::uint64_t lineNumber = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        if (line.size() > limits_.maxLineBytes) {
            throw HarnessLogError(Kind::lineTooLong, lineNumber, std::to_string(limits_.maxLineBytes));
        }
        if (isBlank(line)) continue;
        if (entries.size() >= limits_.maxEntries) {
            throw HarnessLogError(Kind::tooManyEvents, lineNumber, std::to_string(limits_.maxEntries));
        }
        // Read in place: moving a finished entry into the list would copy its texts once more.
        decoder.decode(line, bytes.size() - (line.data() - bytes.data()), lineNumber, entries.emplace_back());
    }
    return entries;
}

}  // namespace brevanor
