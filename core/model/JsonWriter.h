#pragma once

#include <charconv>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace brevanor {

// A compact JSON writer: no blanks, keys written in the order the caller gives
// them (the caller keeps them sorted). Integers never carry a fraction; doubles
// are written in their shortest form that reads back exactly.
class JsonWriter {
public:
    explicit JsonWriter(std::size_t expectedBytes = 0) { out_.reserve(expectedBytes); }

    void beginObject() {
        separate();
        out_.push_back('{');
        needsComma_ = false;
    }
    void endObject() {
        out_.push_back('}');
        needsComma_ = true;
    }
    void beginArray() {
        separate();
        out_.push_back('[');
        needsComma_ = false;
    }
    void endArray() {
        out_.push_back(']');
        needsComma_ = true;
    }

    // A key of this format: plain ASCII that needs no escaping.
    void key(std::string_view name) {
        separate();
        lastKey_ = name;
        out_.push_back('"');
        out_.append(name);
        out_.append("\":", 2);
        needsComma_ = false;
    }

    template <typename Integer>
    requires std::integral<Integer> &&(!std::same_as<Integer, bool>)void integer(Integer number) {
        separate();
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
        out_.append(buffer, result.ptr);
        needsComma_ = true;
    }
    // Throws RecordingEncodingError naming the last key for infinity and not-a-number.
    void real(double number);
    void boolean(bool flag) {
        separate();
        out_.append(flag ? std::string_view("true") : std::string_view("false"));
        needsComma_ = true;
    }
    // Escapes quotes, backslashes and control characters (a slash stays plain);
    // bytes that are not valid UTF-8 become U+FFFD so that the document stays readable.
    void string(std::string_view text);

    std::string take() { return std::move(out_); }

private:
    void separate() {
        if (needsComma_) out_.push_back(',');
    }

    std::string out_;
    std::string_view lastKey_;
    bool needsComma_ = false;
};

}  // namespace brevanor
