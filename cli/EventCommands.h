#pragma once

#include "cli/CliContext.h"
#include "cli/CommandLine.h"

namespace brevanor {

// The commands that show and edit a recording's events: `events` lists them
// with the indices that `edit` takes; `edit` applies its edits in the order
// given, all or none, under the library's lock. Each answers the exit status
// and throws CliError for what went wrong.
class EventCommands {
public:
    explicit EventCommands(CliContext& context) : context_(context) {}

    int events(const CommandLine& line);
    int edit(const CommandLine& line);

private:
    CliContext& context_;
};

}  // namespace brevanor
