#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace brevanor {

// Fills the placeholders %1 to %9 of a translated message with `values`, in one
// pass, so that a value that itself holds "%2" stays as it is. A placeholder
// without a value is kept.
std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values);

// `parts` one after the other with `separator` between them.
std::string joined(const std::vector<std::string>& parts, std::string_view separator);

}  // namespace brevanor
