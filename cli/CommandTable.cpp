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
        "Usage: brevanor-cli [--backend x11|wayland] COMMAND [ARGUMENTS]\n"
        "\n"
        "Brevanor records mouse and keyboard input and replays it. Recordings live in\n"
        "$XDG_DATA_HOME/Brevanor/Recordings, preferences in $XDG_CONFIG_HOME/Brevanor/Brevanor.conf.\n"
        "It works on the session's display server: Wayland where WAYLAND_DISPLAY or XDG_SESSION_TYPE\n"
        "say so, else X11; --backend picks one.\n"
        "\n"
        "Commands:\n";
    for (const Command& command : commands_) {
        text += "  " + std::string(command.name);
        if (!command.arguments.empty()) text += " " + std::string(command.arguments);
        text += "\n      " + std::string(command.summary) + "\n";
    }
    return text +
           "  help\n      Show this text.\n"
           "\n"
           "Exit status: 0 when the command did what it was asked, 1 when it failed or a replay did not pass,\n"
           "2 when it was used wrongly, 128 + N when signal N (Ctrl+C: 2) stopped it.\n";
}

}  // namespace brevanor
