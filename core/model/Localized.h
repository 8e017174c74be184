#pragma once

#include <string>
#include <string_view>

namespace brevanor {

// The text shown to the user for its English form. Every user-visible text goes
// through here so that translations can be added later without touching the
// callers; until then the English text is the text.
inline std::string tr(std::string_view english) { return std::string(english); }

}  // namespace brevanor
