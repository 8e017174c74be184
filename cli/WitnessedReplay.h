#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/AcceptanceSession.h"
#include "core/acceptance/AcceptanceReport.h"

namespace brevanor {

// A replay judged with the machine's own stalls in view. A virtual machine may stop all its
// processors for tens of milliseconds at a time; an event due then comes late whoever sends it.
// A replay whose failed runs all failed only by events that came late while a `StallWitness`
// saw the machine stand still says nothing about Brevanor: it is set aside, with a line that
// says so, and done again once the machine has run for a second without standing still (or
// after 15 s), at most four times; when the fifth is set aside too, the replay is undecided.
// Every other failure stands at once.
struct WitnessedReplay {
    // Turns the reference log into what this replay should match (shifted, sped up); none keeps it.
    using Expectation = std::function<std::vector<HarnessLogEntry>(std::vector<HarnessLogEntry>)>;

    AcceptanceSession::Result played;   // of the last replay
    AcceptanceReport report;            // of the last replay
    std::vector<std::string> setAside;  // e.g. "Replay 1 set aside, run 3: 2 events came up to ..."
    // What the witness saw during the last replay, e.g. "The machine itself stood still 4 times during the
    // replay, for up to 38.6 ms."; empty where it could not watch.
    std::string stalls;
    // Every try was set aside: the last one's report stands, but says nothing about Brevanor either.
    bool undecided = false;

    static WitnessedReplay play(AcceptanceSession& session, const std::string& id,
                                const std::vector<std::string>& options, const Expectation& expectation = {},
                                const std::function<void()>& prepare = {});
};

}  // namespace brevanor
