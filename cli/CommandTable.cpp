#include "cli/CommandTable.h"

namespace brevanor {

const CommandTable::Command* CommandTable::find(std::string_view name) const {
    for (const Command& command : commands_) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

std::string CommandTable::help() const {
    std::string text =
        "Usage: brevanor-cli COMMAND [ARGUMENTS]\n"
        "\n"
        "Brevanor records mouse and keyboard input and replays it. Recordings live in\n"
        "$XDG_DATA_HOME/Brevanor/Recordings, preferences in $XDG_CONFIG_HOME/Brevanor/Brevanor.conf.\n"
        "\n"
        "Commands:\n";
    for (const Command& command : commands_) {
        text += "  " + std::string(command.name);
        if (!command.arguments.empty()) text += " " + std::string(command.arguments);
        text += "\n      " + std::string(command.summary) + "\n";
    }
    return text;
}

}  // namespace brevanor
