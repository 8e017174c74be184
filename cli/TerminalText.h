#pragma once

#include <string>
#include <string_view>

namespace brevanor {

// Text from recordings and files is shown on terminals, where control
// characters are commands: an imported name could retitle the window, clear
// the screen or forge rows of a listing.
namespace TerminalText {

// `text` with everything a terminal would act on written out visibly: C0 and
// C1 control characters and DEL ("\n", "\t", "\r", else "\x1b" or "\u009b"),
// the characters that reorder text or break lines (bidirectional controls,
// U+2028, U+2029), and bytes that are not UTF-8 ("\xff"). Other text, quotes
// and backslashes included, stays as it is.
std::string escaped(std::string_view text);

}  // namespace TerminalText

}  // namespace brevanor
