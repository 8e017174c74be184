#include "cli/CompareCommand.h"

#include <fstream>
#include <limits>
#include <ostream>
#include <sstream>

#include "cli/CliError.h"
#include "core/acceptance/AcceptanceComparator.h"
#include "core/acceptance/HarnessLogError.h"

namespace brevanor {

namespace {

std::vector<HarnessLogEntry> readLog(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw CliError("Cannot read the harness log " + file + ".");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    try {
        return AcceptanceComparator::parse(bytes.str());
    } catch (const HarnessLogError& error) {
        throw CliError("The harness log " + file + " cannot be read: " + error.what() + ".");
    }
}

}  // namespace

int CompareCommand::run(const CommandLine& line) {
    line.expectPositionals(2, 2, "a reference log and a replay log");
    const auto expected = line.integer("expected-count", 0, std::numeric_limits<std::int32_t>::max());
    const auto reference = readLog(line.positionals()[0]);
    const auto replay = readLog(line.positionals()[1]);
    // Without a count, each run is expected to hold as many events as the reference; 0 takes all as one run.
    const auto perRun =
        expected.value_or(static_cast<std::int64_t>(AcceptanceComparator::referenceEvents(reference).size()));
    const AcceptanceReport report =
        AcceptanceComparator::compare(reference, AcceptanceComparator::splitRuns(replay, perRun));
    context_.out() << report.summary() << "\n";
    return report.passed() ? 0 : 1;
}

}  // namespace brevanor
