#include "core/model/Utf8.h"

namespace brevanor {

std::size_t Utf8::sequenceLength(std::string_view text, std::size_t i) {
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

char32_t Utf8::codePoint(std::string_view text, std::size_t i, std::size_t length) {
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t codePoint = static_cast<unsigned char>(text[i]) & kLeadBits[length];
    for (std::size_t k = 1; k < length; ++k)
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return codePoint;
}

bool Utf8::actsOnTerminal(char32_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) ||             // C0, DEL, C1
           c == 0x061C || c == 0x200E || c == 0x200F ||                     // direction marks
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||  // embeddings, isolates
           c == 0x2028 || c == 0x2029;                                      // line and paragraph separators
}

}  // namespace brevanor
