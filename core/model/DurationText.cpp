#include "core/model/DurationText.h"

#include <cstdio>

namespace brevanor {

std::string DurationText::duration(std::uint64_t nanos) {
    const double seconds = static_cast<double>(nanos) / 1e9;
    char buffer[64];
    if (seconds < 60) {
        std::snprintf(buffer, sizeof buffer, "%.1f s", seconds);
    } else {
        const auto whole = static_cast<std::uint64_t>(seconds);
        std::snprintf(buffer, sizeof buffer, "%llu min %llu s", static_cast<unsigned long long>(whole / 60),
                      static_cast<unsigned long long>(whole % 60));
    }
    return buffer;
}

std::string DurationText::elapsed(std::uint64_t nanos) {
    const double seconds = static_cast<double>(nanos) / 1e9;
    const auto minutes = static_cast<std::uint64_t>(seconds) / 60;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%llu:%04.1f", static_cast<unsigned long long>(minutes),
                  seconds - 60.0 * static_cast<double>(minutes));
    return buffer;
}

}  // namespace brevanor
