#include "core/acceptance/HarnessLogEntry.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace brevanor {

namespace {

void appendString(std::string& out, const std::string& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += c;
        }
    }
    out += '"';
}

template <typename Number>
void appendNumber(std::string& out, Number value) {
    char buffer[32];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void appendPosition(std::string& out, double value) {
    if (!std::isfinite(value)) throw std::invalid_argument("a harness log position must be a finite number");
    const std::size_t start = out.size();
    appendNumber(out, value);
    // The shortest form of a large whole number has neither a point nor an
    // exponent, and JSON readers take such text for an integer that may not fit
    // 64 bits; a fraction keeps it a number every reader reads back.
    if (out.find_first_of(".e", start) == std::string::npos && out.size() - start > 15) out += ".0";
}

}  // namespace

std::string HarnessLogEntry::toJson() const {
    std::string out;
    out.reserve(128);
    out += "{\"t\":";
    appendNumber(out, t);
    out += ",\"type\":";
    appendString(out, type);
    out += ",\"x\":";
    appendPosition(out, x);
    out += ",\"y\":";
    appendPosition(out, y);
    if (button) {
        out += ",\"button\":";
        appendString(out, *button);
    }
    if (clickCount) {
        out += ",\"clickCount\":";
        appendNumber(out, *clickCount);
    }
    if (keyCode) {
        out += ",\"keyCode\":";
        appendNumber(out, *keyCode);
    }
    out += ",\"mods\":";
    appendNumber(out, mods);
    out += synthetic ? ",\"synthetic\":true}" : ",\"synthetic\":false}";
    return out;
}

std::string HarnessLogEntry::jsonLines(const std::vector<HarnessLogEntry>& entries) {
    std::string out;
    for (const HarnessLogEntry& entry : entries) {
        out += entry.toJson();
        out += '\n';
    }
    return out;
}

}  // namespace brevanor
