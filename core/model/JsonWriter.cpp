#include "core/model/JsonWriter.h"

#include <cmath>

#include "core/model/RecordingEncodingError.h"

namespace brevanor {

namespace {

// The length of the valid UTF-8 sequence that starts text[i], or 0 when none does.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const auto isContinuation = [&](std::size_t k) { return k < text.size() && (byte(k) & 0xC0) == 0x80; };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return isContinuation(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!isContinuation(i + 1) || !isContinuation(i + 2)) return 0;
        const unsigned char second = byte(i + 1);
        if (lead == 0xE0 && second < 0xA0) return 0;  // overlong
        if (lead == 0xED && second > 0x9F) return 0;  // UTF-16 surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!isContinuation(i + 1) || !isContinuation(i + 2) || !isContinuation(i + 3)) return 0;
        const unsigned char second = byte(i + 1);
        if (lead == 0xF0 && second < 0x90) return 0;  // overlong
        if (lead == 0xF4 && second > 0x8F) return 0;  // beyond U+10FFFF
        return 4;
    }
    return 0;
}

}  // namespace

void JsonWriter::real(double number) {
    if (!std::isfinite(number)) throw RecordingEncodingError(std::string(lastKey_));
    separate();
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out_.append(buffer, result.ptr);
    needsComma_ = true;
}

void JsonWriter::string(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    separate();
    out_.push_back('"');
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '"': out_.append("\\\""); break;
            case '\\': out_.append("\\\\"); break;
            case '\b': out_.append("\\b"); break;
            case '\f': out_.append("\\f"); break;
            case '\n': out_.append("\\n"); break;
            case '\r': out_.append("\\r"); break;
            case '\t': out_.append("\\t"); break;
            default:
                if (c < 0x20) {
                    out_.append("\\u00");
                    out_.push_back(kHex[c >> 4]);
                    out_.push_back(kHex[c & 0x0F]);
                } else {
                    const std::size_t length = utf8SequenceLength(text, i);
                    if (length == 0) {
                        out_.append("\xEF\xBF\xBD");  // U+FFFD REPLACEMENT CHARACTER
                        ++i;
                        continue;
                    }
                    out_.append(text.data() + i, length);
                    i += length;
                    continue;
                }
        }
        ++i;
    }
    out_.push_back('"');
    needsComma_ = true;
}

}  // namespace brevanor
