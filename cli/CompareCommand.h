#pragma once

#include "cli/CliContext.h"
#include "cli/CommandLine.h"

namespace brevanor {

// compare REFERENCE.jsonl REPLAY.jsonl [--expected-count N]: judges the replay
// runs of a harness log against a reference log and prints the comparator's
// summary. Exit status 0 when every run passed, 1 otherwise.
class CompareCommand {
public:
    explicit CompareCommand(CliContext& context) : context_(context) {}

    int run(const CommandLine& line);

private:
    CliContext& context_;
};

}  // namespace brevanor
