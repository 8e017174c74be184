#pragma once

#include <charconv>
#include <concepts>
#include <cstring>
#include <string>
#include <string_view>

namespace brevanor {

// A compact JSON writer: no blanks, keys written in the order the caller gives
// them (the caller keeps them sorted). Integers never carry a fraction; doubles
// are written in their shortest form that reads back exactly. Each token goes
// out in one append, comma included, since long documents are mostly numbers.
class JsonWriter {
public:
    explicit JsonWriter(std::size_t expectedBytes = 0) { out_.reserve(expectedBytes); }

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    // A key of this format: plain ASCII that needs no escaping, shorter than 60 characters.
    // Answers the writer, so a member reads as one call: w.key("x").real(x).
    JsonWriter& key(std::string_view name) {
        char buffer[64];
        char* end = startToken(buffer);
        *end++ = '"';
        std::memcpy(end, name.data(), name.size());
        end += name.size();
        *end++ = '"';
        *end++ = ':';
        out_.append(buffer, end);
        lastKey_ = name;
        needsComma_ = false;
        return *this;
    }

    template <std::integral Integer>
    void integer(Integer number) {
        char buffer[32];
        char* end = startToken(buffer);
        end = std::to_chars(end, buffer + sizeof buffer, number).ptr;
        finishValue(buffer, end);
    }
    void integer(bool) = delete;
    // Throws RecordingEncodingError naming the last key for infinity and not-a-number.
    void real(double number);
    void boolean(bool flag) {
        if (needsComma_) out_.push_back(',');
        out_.append(flag ? std::string_view("true") : std::string_view("false"));
        needsComma_ = true;
    }
    // Escapes quotes, backslashes and whatever a terminal acts on (control
    // characters, text reordering; see Utf8::actsOnTerminal; a slash stays plain);
    // bytes that are not valid UTF-8 become U+FFFD so that the document stays readable.
    void string(std::string_view text);

    std::string take() { return std::move(out_); }
    // What was written since the last clearText(), for documents written out in pieces.
    std::string_view text() const { return out_; }
    // Drops the text written so far (once written out); what follows continues the same document.
    void clearText() { out_.clear(); }

private:
    // Writes the separating comma, if one is due, and returns where the token goes.
    char* startToken(char* buffer) const {
        if (needsComma_) *buffer++ = ',';
        return buffer;
    }
    void finishValue(const char* buffer, const char* end) {
        out_.append(buffer, end);
        needsComma_ = true;
    }
    void open(char bracket) {
        char buffer[2];
        char* end = startToken(buffer);
        *end++ = bracket;
        out_.append(buffer, end);
        needsComma_ = false;
    }
    void close(char bracket) {
        out_.push_back(bracket);
        needsComma_ = true;
    }

    std::string out_;
    std::string_view lastKey_;
    bool needsComma_ = false;
};

}  // namespace brevanor
