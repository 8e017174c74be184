#include "core/acceptance/HarnessLogReader.h"

#include <simdjson.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>

#include "core/acceptance/HarnessLogError.h"
#include "core/store/LargePages.h"

namespace brevanor {

namespace {

using Kind = HarnessLogError::Kind;

// How much of a log file is read at once.
constexpr std::size_t kPieceBytes = 4 << 20;

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

// The lines of one log as they come, a piece at a time or all at once, into entries.
class HarnessLogReader::Lines {
public:
    Lines(const Limits& limits, std::size_t expectedBytes) : limits_(limits), decoder_(limits.maxLineBytes) {
        // A line with every required key takes at least this many bytes: reserving
        // for that many lines avoids moving the entries as the list grows, and
        // never reserves for more than the bytes could hold.
        constexpr std::size_t kShortestEntryBytes = 56;
        entries_.reserve(std::min(limits.maxEntries, expectedBytes / kShortestEntryBytes + 1));
        adviseLargePages(entries_.data(), entries_.capacity() * sizeof(HarnessLogEntry));
    }

    // Reads the whole lines of `bytes`, and the unfinished last one too when `atEnd`;
    // answers how many bytes were read.
    std::size_t take(std::string_view bytes, bool atEnd) {
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            if (end == std::string_view::npos) {
                if (!atEnd && bytes.size() - start <= limits_.maxLineBytes) break;
                end = bytes.size();
            }
            const std::string_view line = bytes.substr(start, end - start);
            start = std::min(end + 1, bytes.size());
            ++lineNumber_;

            if (line.size() > limits_.maxLineBytes) {
                throw HarnessLogError(Kind::lineTooLong, lineNumber_, std::to_string(limits_.maxLineBytes));
            }
            if (isBlank(line)) continue;
            if (entries_.size() >= limits_.maxEntries) {
                throw HarnessLogError(Kind::tooManyEvents, lineNumber_, std::to_string(limits_.maxEntries));
            }
            // Read in place: moving a finished entry into the list would copy its texts once more.
            decoder_.decode(line, bytes.size() - (line.data() - bytes.data()), lineNumber_, entries_.emplace_back());
        }
        return start;
    }

    std::vector<HarnessLogEntry> finish() { return std::move(entries_); }

private:
    const Limits& limits_;
    LineDecoder decoder_;
    std::vector<HarnessLogEntry> entries_;
    std::uint64_t lineNumber_ = 0;
};

std::vector<HarnessLogEntry> HarnessLogReader::read(std::string_view bytes) const {
    Lines lines(limits_, bytes.size());
    lines.take(bytes, true);
    return lines.finish();
}

std::vector<HarnessLogEntry> HarnessLogReader::readFile(const std::filesystem::path& file) const {
    std::ifstream in(file, std::ios::binary);
    std::error_code unknownSize;
    const std::uintmax_t size = std::filesystem::file_size(file, unknownSize);
    if (!in) throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory), file.string());
    Lines lines(limits_, unknownSize ? 0 : static_cast<std::size_t>(size));
    // A piece of the file at a time, the unfinished line carried over: a long log is never held whole.
    std::string piece(std::max<std::size_t>(kPieceBytes, limits_.maxLineBytes + 1), '\0');
    std::size_t held = 0;
    for (;;) {
        in.read(piece.data() + held, static_cast<std::streamsize>(piece.size() - held));
        held += static_cast<std::size_t>(in.gcount());
        const bool atEnd = !in;
        if (in.bad()) throw std::system_error(std::make_error_code(std::errc::io_error), file.string());
        const std::size_t used = lines.take(std::string_view(piece.data(), held), atEnd);
        if (atEnd) break;
        std::copy(piece.begin() + static_cast<std::ptrdiff_t>(used), piece.begin() + static_cast<std::ptrdiff_t>(held),
                  piece.begin());
        held -= used;
    }
    return lines.finish();
}

}  // namespace brevanor
