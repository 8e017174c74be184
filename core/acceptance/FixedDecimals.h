#pragma once

#include <charconv>
#include <string>

namespace brevanor {

// `value` with exactly `decimals` decimals, as printf's "%.*f" writes it in the
// C locale, whatever locale the process has set (the report's numbers must
// always read the same).
inline std::string fixedDecimals(double value, int decimals) {
    char buffer[400];  // the largest double has 309 integer digits
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    return std::string(buffer, end);
}

}  // namespace brevanor
