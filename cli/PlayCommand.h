#pragma once

#include <optional>

#include "cli/CliContext.h"
#include "cli/CommandLine.h"
#include "core/checks/PreflightWarning.h"
#include "core/playback/FidelityReport.h"
#include "core/playback/PlaybackOptions.h"

namespace brevanor {

struct Recording;

// play ID|NAME|FILE [--speed X] [--repeat N | --forever] [--delay S]
// [--cursor absolute|screen|cursor] [--click-delay MS] [--restore-window] [--yes] [--verbose]
// [--report [--json]]:
// replays a recording with its own settings, changed by the options for this
// run only. Warnings about a changed machine need --yes (or a yes on a
// terminal). The first event waits (up to 3 s) until no key or button is
// held, so the Enter that started it cannot merge with it. The stop shortcut,
// Esc held for a second, Ctrl+C and SIGTERM stop it; every key and button it
// pressed is released whichever way it ends. --verbose says which priority
// the playback thread got; --report ends with how faithful the replay was.
class PlayCommand {
public:
    explicit PlayCommand(CliContext& context) : context_(context) {}

    int run(const CommandLine& line);

    // The recording's settings with the command line's changes.
    static PlaybackOptions options(const Recording& recording, const CommandLine& line);

private:
    // The replay's fidelity as one line, or as one JSON object with `json`.
    void reportFidelity(const std::optional<FidelityReport>& report, bool json);
    bool confirmWarnings(const Recording& recording, const std::vector<PreflightWarning>& warnings,
                         const CommandLine& line);

    CliContext& context_;
};

}  // namespace brevanor
