#pragma once

#include "cli/CliContext.h"
#include "cli/CommandLine.h"

namespace brevanor {

// The commands that read and change the library: list, show, rename,
// duplicate, delete, import, export and trim. None needs a display. Each
// answers the program's exit status and throws CliError for what went wrong.
class LibraryCommands {
public:
    explicit LibraryCommands(CliContext& context) : context_(context) {}

    int list(const CommandLine& line);
    int show(const CommandLine& line);
    int rename(const CommandLine& line);
    int duplicate(const CommandLine& line);
    int remove(const CommandLine& line);
    int importFiles(const CommandLine& line);
    int exportRecording(const CommandLine& line);
    int trim(const CommandLine& line);

private:
    CliContext& context_;
};

}  // namespace brevanor
