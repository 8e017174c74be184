#pragma once

#include "cli/CliContext.h"
#include "cli/CommandLine.h"
#include "core/model/Recording.h"

namespace brevanor {

// record [--countdown N] [--name NAME]: counts down (the preferences'
// countdown unless given), then records every mouse and keyboard event until
// the record shortcut, the stop shortcut, Esc held for a second, or SIGINT or
// SIGTERM. The keys that stopped it are cut off its end. It is named (the next
// automatic name unless --name), given the defaults for new recordings, saved
// in the library, and its id printed. A recording the library cannot take is
// never lost: it is kept in a file elsewhere, and the failure names the file.
class RecordCommand {
public:
    explicit RecordCommand(CliContext& context) : context_(context) {}

    int run(const CommandLine& line);

private:
    // Keeps the recording outside the library, then throws the CliError that says where and why.
    [[noreturn]] void keepOutsideLibrary(const Recording& recording, const std::string& why);

    CliContext& context_;
};

}  // namespace brevanor
