#include "cli/CompareCommand.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <ostream>

#include "cli/CliError.h"
#include "core/acceptance/AcceptanceComparator.h"
#include "core/acceptance/HarnessLogError.h"

namespace brevanor {

namespace {

std::vector<HarnessLogEntry> readLog(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw CliError("Cannot read the harness log " + file + ".");
    // Read once into room of the file's size: a long log is held once, not grown and copied.
    std::string bytes;
    std::error_code unknownSize;
    if (const auto size = std::filesystem::file_size(file, unknownSize); !unknownSize) bytes.reserve(size);
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    try {
        return AcceptanceComparator::parse(bytes);
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
    const AcceptanceReport report = AcceptanceComparator::compareLogs(reference, replay, expected);
    context_.out() << report.summary() << "\n";
    return report.passed() ? 0 : 1;
}

}  // namespace brevanor
