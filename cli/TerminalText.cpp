#include "cli/TerminalText.h"

#include <cstdio>

#include "core/model/Utf8.h"

namespace brevanor {

namespace {

std::string written(const char* format, unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

std::string TerminalText::escaped(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8::sequenceLength(text, i);
        if (length == 0) {
            result += written("\\x%02x", static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        const char32_t c = Utf8::codePoint(text, i, length);
        if (!Utf8::actsOnTerminal(c)) {
            result.append(text, i, length);
        } else if (c == '\n') {
            result += "\\n";
        } else if (c == '\t') {
            result += "\\t";
        } else if (c == '\r') {
            result += "\\r";
        } else {
            result += written(c < 0x80 ? "\\x%02x" : "\\u%04x", static_cast<unsigned>(c));
        }
        i += length;
    }
    return result;
}

}  // namespace brevanor
