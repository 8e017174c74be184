#include "core/model/JsonWriter.h"

#include <cmath>

#include "core/model/RecordingEncodingError.h"
#include "core/model/Utf8.h"

namespace brevanor {

void JsonWriter::real(double number) {
    if (!std::isfinite(number)) throw RecordingEncodingError(std::string(lastKey_));
    char buffer[40];
    char* end = startToken(buffer);
    end = std::to_chars(end, buffer + sizeof buffer, number).ptr;
    finishValue(buffer, end);
}

void JsonWriter::string(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    if (needsComma_) out_.push_back(',');
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
                    const std::size_t length = Utf8::sequenceLength(text, i);
                    if (length == 0) {
                        out_.append("\xEF\xBF\xBD");  // U+FFFD REPLACEMENT CHARACTER
                        ++i;
                        continue;
                    }
                    // Written out, so that the text cannot act on a terminal that shows the JSON.
                    if (const char32_t point = Utf8::codePoint(text, i, length); Utf8::actsOnTerminal(point)) {
                        out_.append("\\u");
                        for (int shift = 12; shift >= 0; shift -= 4) out_.push_back(kHex[(point >> shift) & 0x0F]);
                    } else {
                        out_.append(text.data() + i, length);
                    }
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
