#pragma once

#include <cstddef>
#include <string_view>

namespace brevanor {

// Reading UTF-8 text that may not be well-formed (names and notes from any file).
namespace Utf8 {

// The length of the valid UTF-8 sequence that starts text[i], or 0 when none does
// (overlong forms, UTF-16 surrogates, code points beyond U+10FFFF, cut-short sequences).
std::size_t sequenceLength(std::string_view text, std::size_t i);
// The code point of the valid sequence of `length` bytes (from sequenceLength) at text[i].
char32_t codePoint(std::string_view text, std::size_t i, std::size_t length);
// Whether a terminal acts on the code point instead of showing it: C0 and C1
// control characters, DEL, the characters that reorder text (direction marks,
// embeddings, overrides, isolates) and the line and paragraph separators.
bool actsOnTerminal(char32_t c);

}  // namespace Utf8

}  // namespace brevanor
