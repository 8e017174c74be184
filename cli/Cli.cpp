#include "cli/Cli.h"

#include <optional>
#include <ostream>

#include "cli/CliError.h"
#include "cli/CommandTable.h"
#include "cli/CompareCommand.h"
#include "cli/DemoCommand.h"
#include "cli/EventCommands.h"
#include "cli/LibraryCommands.h"
#include "cli/PlayCommand.h"
#include "cli/RecordCommand.h"
#include "cli/TerminalText.h"

namespace brevanor {

namespace {

// A sentence ends with one full stop.
std::string sentence(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (!text.empty() && text.back() != '.' && text.back() != '?' && text.back() != '!') text += '.';
    return text;
}

}  // namespace

std::vector<std::string> Cli::withoutBackendOption(const std::vector<std::string>& arguments) {
    std::vector<std::string> words;
    std::optional<std::string> name;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--") {
            words.insert(words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
            break;
        }
        if (word == "--backend" || word.starts_with("--backend=")) {
            if (name) throw CliError::usage("The option --backend is given twice.");
            if (word != "--backend") {
                name = word.substr(std::string_view("--backend=").size());
            } else if (i + 1 < arguments.size()) {
                name = arguments[++i];
            } else {
                name = "";
            }
            continue;
        }
        words.push_back(word);
    }
    if (name) {
        const auto backend = platformBackendNamed(*name);
        if (!backend) throw CliError::usage("The option --backend takes x11 or wayland, not “" + *name + "”.");
        context_.setBackend(*backend);
    }
    return words;
}

Cli::Cli(std::string program, CliContext::Streams streams) : program_(std::move(program)), context_(streams) {}

int Cli::run(const std::vector<std::string>& arguments) {
    LibraryCommands library(context_);
    EventCommands events(context_);
    using Option = CommandLine::Option;
    const CommandTable table({
        {"list",
         "[--json]",
         "List the recordings, newest first (--json: one JSON array).",
         {{"json", false}},
         [&](const CommandLine& line) { return library.list(line); }},
        {"show",
         "ID|NAME|FILE [--events] [--json]",
         "Show a recording and where it was made (--events: every event; --json: its whole document; a recording "
         "marked as sensitive never shows its events).",
         {{"events", false}, {"json", false}},
         [&](const CommandLine& line) { return library.show(line); }},
        {"rename",
         "ID|NAME NEW-NAME",
         "Give a recording another name.",
         {},
         [&](const CommandLine& line) { return library.rename(line); }},
        {"duplicate",
         "ID|NAME",
         "Copy a recording under a new id and print that id.",
         {},
         [&](const CommandLine& line) { return library.duplicate(line); }},
        {"delete",
         "ID|NAME",
         "Delete a recording for good.",
         {},
         [&](const CommandLine& line) { return library.remove(line); }},
        {"import",
         "FILE...",
         "Add .macro or .json recording files to the library and print their ids.",
         {},
         [&](const CommandLine& line) { return library.importFiles(line); }},
        {"export",
         "ID|NAME FILE [--force]",
         "Write a recording to a new file (--force: replace a file there; refused for recordings with sensitive "
         "input).",
         {{"force", false}},
         [&](const CommandLine& line) { return library.exportRecording(line); }},
        {"trim",
         "ID|NAME [--undo]",
         "Trim the idle time at both ends of a recording (--undo: keep all of it).",
         {{"undo", false}},
         [&](const CommandLine& line) { return library.trim(line); }},
        {"events",
         "ID|NAME|FILE [--json]",
         "List a recording's events with their index, time, gap from the previous event, type and details "
         "(--json: one JSON array of {event, gapNanos, index}); a sensitive recording's keys are hidden.",
         {{"json", false}},
         [&](const CommandLine& line) { return events.events(line); }},
        {"edit",
         "ID|NAME [--delete I[-J]] [--gap I=MS] [--speed I-J=FACTOR] [--move I=X,Y] [--wait-after I=MS] [--revert]",
         "Edit a recording's events by the indices `events` shows, each option as often as needed, applied in "
         "order, all or none: delete events (a press goes with its release), set the pause before an event, play "
         "a range FACTOR times as fast, move a click, wait after an event, or bring back the recorded events.",
         {Option{"delete", true, true}, Option{"gap", true, true}, Option{"speed", true, true},
          Option{"move", true, true}, Option{"wait-after", true, true}, Option{"revert", false, true}},
         [&](const CommandLine& line) { return events.edit(line); }},
        {"record",
         "[--countdown N] [--name NAME]",
         "Record the mouse and keyboard until the record or stop shortcut, Esc held for a second, or Ctrl+C; "
         "print the new recording's id.",
         {{"countdown", true}, {"name", true}},
         [&](const CommandLine& line) { return RecordCommand(context_).run(line); }},
        {"play",
         "ID|NAME|FILE [--speed X] [--repeat N | --forever] [--delay S] [--cursor absolute|screen|cursor] "
         "[--click-delay MS] [--restore-window] [--yes] [--verbose] [--report [--json]]",
         "Replay a recording; the stop shortcut, Esc held for a second or Ctrl+C stop it (--verbose: say which "
         "priority playback got; --report: end with how faithful the replay was, as the system reported its "
         "events back; --json: that report as JSON).",
         {Option{"speed", true}, Option{"repeat", true}, Option{"forever", false}, Option{"delay", true},
          Option{"cursor", true}, Option{"click-delay", true}, Option{"restore-window", false}, Option{"yes", false},
          Option{"verbose", false}, Option{"report", false}, Option{"json", false}},
         [&](const CommandLine& line) { return PlayCommand(context_).run(line); }},
        {"compare",
         "REFERENCE.jsonl REPLAY.jsonl [--expected-count N]",
         "Judge replay runs in a harness log against a reference log; exit status 0 when all pass.",
         {{"expected-count", true}},
         [&](const CommandLine& line) { return CompareCommand(context_).run(line); }},
        {"demo",
         "",
         "Record scripted input in a private X server, replay it three times and judge the replays.",
         {},
         [&](const CommandLine& line) { return DemoCommand(context_, program_).run(line); }},
    });

    try {
        const std::vector<std::string> words = withoutBackendOption(arguments);
        if (words.empty() || words[0] == "help" || words[0] == "--help" || words[0] == "-h") {
            context_.out() << table.help();
            return 0;
        }
        const CommandTable::Command* command = table.find(words[0]);
        if (!command) {
            throw CliError::usage("Unknown command “" + words[0] + "”; run brevanor-cli help for the commands.");
        }
        const CommandLine line(std::string(command->name), {words.begin() + 1, words.end()}, command->options);
        return command->run(line);
    } catch (const CliError& error) {
        // Messages quote names and paths from files, which must not act on the terminal.
        context_.err() << "brevanor-cli: " << TerminalText::escaped(sentence(error.what())) << "\n";
        return error.exitStatus();
    } catch (const std::exception& error) {
        context_.err() << "brevanor-cli: " << TerminalText::escaped(sentence(error.what())) << "\n";
        return CliError::failureStatus;
    }
}

}  // namespace brevanor
