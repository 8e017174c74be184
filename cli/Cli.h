#pragma once

#include <string>
#include <vector>

#include "cli/CliContext.h"

namespace brevanor {

// brevanor-cli: finds the command in its table and runs it. Every failure
// ends as one sentence on standard error and a non-zero exit status, never as
// an uncaught exception.
class Cli {
public:
    // `program` is the path the program was started by (the demo starts it again).
    Cli(std::string program, CliContext::Streams streams);

    // `arguments` without the program's name; answers the exit status.
    int run(const std::vector<std::string>& arguments);

private:
    // The arguments less the option that picks the platform backend
    // ("--backend x11|wayland", accepted anywhere before "--"), which it hands to the context.
    std::vector<std::string> withoutBackendOption(const std::vector<std::string>& arguments);

    std::string program_;
    CliContext context_;
};

}  // namespace brevanor
