#include "core/acceptance/AcceptanceReport.h"

#include <algorithm>
#include <cstdio>

#include "core/acceptance/FixedDecimals.h"

namespace brevanor {

namespace {

std::string runLine(const AcceptanceRunResult& result) {
    // The measures are formatted apart: printf's %f would follow the process's locale.
    const std::string position = fixedDecimals(result.maxPositionError, 2);
    const std::string p95 = fixedDecimals(result.timingP95Ms, 2);
    const std::string max = fixedDecimals(result.timingMaxMs, 2);
    const char* format = "Run %3lld  %s  events %lld/%lld  max pos %s px  timing p95 %s ms  max %s ms";
    const auto fill = [&](char* buffer, std::size_t size) {
        return std::snprintf(buffer, size, format, static_cast<long long>(result.run),
                             result.passed() ? "PASS" : "FAIL", static_cast<long long>(result.actualCount),
                             static_cast<long long>(result.expectedCount), position.c_str(), p95.c_str(), max.c_str());
    };
    std::string line(static_cast<std::size_t>(fill(nullptr, 0)), '\0');
    fill(line.data(), line.size() + 1);
    return line;
}

}  // namespace

bool AcceptanceReport::passed() const {
    return !runs.empty() && std::all_of(runs.begin(), runs.end(), [](const auto& run) { return run.passed(); });
}

std::string AcceptanceReport::summary() const {
    std::string text;
    for (const AcceptanceRunResult& result : runs) {
        text += runLine(result) + "\n";
        for (const std::string& failure : result.failures) text += "          - " + failure + "\n";
    }
    if (runs.empty()) text += "No replay runs found.\n";
    text += "\n";
    if (passed()) {
        text += "OVERALL: PASS (" + std::to_string(runs.size()) + " runs)";
    } else {
        const auto failed = std::count_if(runs.begin(), runs.end(), [](const auto& run) { return !run.passed(); });
        text += "OVERALL: FAIL (" + std::to_string(failed) + " of " + std::to_string(runs.size()) + " runs failed)";
    }
    return text;
}

}  // namespace brevanor
