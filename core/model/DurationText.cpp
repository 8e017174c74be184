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
    // Rounded to the tenth before splitting, so 59.96 s reads 1:00.0 and never 0:60.0.
    constexpr std::uint64_t kTenth = 100'000'000;
    const std::uint64_t tenths = nanos / kTenth + (nanos % kTenth >= kTenth / 2 ? 1 : 0);
    const std::uint64_t rest = tenths % 600;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%llu:%02llu.%llu", static_cast<unsigned long long>(tenths / 600),
                  static_cast<unsigned long long>(rest / 10), static_cast<unsigned long long>(rest % 10));
    return buffer;
}

}  // namespace brevanor
