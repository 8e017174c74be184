#include "cli/CompareCommand.h"

#include <filesystem>
#include <limits>
#include <ostream>
#include <system_error>

#include "cli/CliError.h"
#include "core/acceptance/AcceptanceComparator.h"
#include "core/acceptance/HarnessLogError.h"
#include "core/acceptance/HarnessLogReader.h"

namespace brevanor {

namespace {

std::vector<HarnessLogEntry> readLog(const std::string& file) {
    try {
        return HarnessLogReader().readFile(file);
    } catch (const HarnessLogError& error) {
        throw CliError("The harness log " + file + " cannot be read: " + error.what() + ".");
    } catch (const std::system_error&) {
        throw CliError("Cannot read the harness log " + file + ".");
    }
}

}  // namespace

int CompareCommand::run(const CommandLine& line) {
    line.expectPositionals(2, 2, "a reference log and a replay log");
    const auto expected = line.integer("expected-count", 0, std::numeric_limits<std::int32_t>::max());
    const auto reference = readLog(line.positionals()[0]);
    const auto replay = readLog(line.positionals()[1]);
    // Without a count, each run is expected to hold as many events as the reference; 0 takes all as one run.
    const AcceptanceReport report = AcceptanceComparator::compareLogs(reference, replay, expected);
    context_.out() << report.summary() << "\n";
    return report.passed() ? 0 : 1;
}

}  // namespace brevanor
