#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandLine.h"

namespace brevanor {

// The commands of brevanor-cli: for each its name, how it is called, one line
// on what it does, the options it takes and what runs it. The help text is
// made from the same table, so it cannot drift from what the program accepts.
class CommandTable {
public:
    struct Command {
        std::string_view name;
        std::string_view arguments;  // e.g. "ID|NAME|FILE [--events] [--json]"
        std::string_view summary;
        std::vector<CommandLine::Option> options;
        std::function<int(const CommandLine&)> run;
    };

    explicit CommandTable(std::vector<Command> commands) : commands_(std::move(commands)) {}

    const Command* find(std::string_view name) const;
    // The usage text: one block per command, "  name  arguments" and its summary beneath.
    std::string help() const;

private:
    std::vector<Command> commands_;
};

}  // namespace brevanor
