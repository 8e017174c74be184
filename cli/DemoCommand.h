#pragma once

#include <string>

#include "cli/CliContext.h"
#include "cli/CommandLine.h"

namespace brevanor {

// demo: the whole of Brevanor in one command, needing no display of the
// user's: it starts a private X server, has xdotool click, drag, type, scroll
// and pause there while brevanor-cli records it (and the outside harness
// logger writes the reference log), replays the recording three times (the
// logger writing the replay log) and prints the comparator's summary. Exit
// status 0 when every replay passed. Everything it made goes away at the end.
class DemoCommand {
public:
    DemoCommand(CliContext& context, std::string program) : context_(context), program_(std::move(program)) {}

    int run(const CommandLine& line);

    // The scripted input, as xdotool commands.
    static std::string script();
    // Where the harness logger is: among the installed helper programs, where the build put it, or on PATH.
    static std::string loggerProgram();
    // This program, to start it again for recording and playing.
    static std::string cliProgram(const std::string& startedAs);
    // Which side a failed replay is to blame on, judged by `ownReport`, the replay's own fidelity line; none
    // when every try met the machine standing still (`undecided`).
    static std::string blame(const std::string& ownReport, bool undecided);

private:
    CliContext& context_;
    std::string program_;
};

}  // namespace brevanor
