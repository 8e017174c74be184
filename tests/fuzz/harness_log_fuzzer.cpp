// Harness logs come from outside tools: whatever bytes arrive, reading them
// either succeeds or throws HarnessLogError, what was read writes back to a
// log that reads the same, and comparing it with itself completes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/acceptance/AcceptanceComparator.h"
#include "core/acceptance/HarnessLogError.h"

using namespace brevanor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<HarnessLogEntry> entries;
    try {
        entries = AcceptanceComparator::parse(bytes);
    } catch (const HarnessLogError&) {
        return 0;
    }
    if (AcceptanceComparator::parse(HarnessLogEntry::jsonLines(entries)) != entries) __builtin_trap();

    const auto perRun = static_cast<std::int64_t>(AcceptanceComparator::referenceEvents(entries).size());
    const AcceptanceReport report =
        AcceptanceComparator::compare(entries, AcceptanceComparator::splitRuns(entries, perRun));
    if (report.summary().empty()) __builtin_trap();
    // The judgement of whole logs must reach the same verdict without its copies.
    if (AcceptanceComparator::compareLogs(entries, entries, std::nullopt).summary() != report.summary())
        __builtin_trap();
    return 0;
}
