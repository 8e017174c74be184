#pragma once

#include <string>
#include <string_view>

namespace brevanor {

// Every text shown to users passes through here, keyed by its English form, so
// translations can be added in one place. For now the English text is returned.
inline std::string tr(std::string_view english) { return std::string(english); }

// How the texts name the machine they run on.
#ifdef __APPLE__
inline constexpr std::string_view thisComputer = "this Mac";
#else
inline constexpr std::string_view thisComputer = "this computer";
#endif

}  // namespace brevanor
