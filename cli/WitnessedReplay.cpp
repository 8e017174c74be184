#include "cli/WitnessedReplay.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "cli/StallExcuse.h"
#include "cli/StallWitness.h"
#include "core/acceptance/AcceptanceComparator.h"
#include "core/acceptance/FixedDecimals.h"

namespace brevanor {

namespace {

constexpr int kAttempts = 5;
// How long a replay that met a standing machine waits for it to settle before it is done again.
constexpr auto kQuietSpell = std::chrono::seconds(1);
constexpr auto kLongestSettling = std::chrono::seconds(15);

// Why every failed run of `report` tells nothing about the replay; nothing when one does.
std::optional<std::string> excuse(const AcceptanceReport& report, const std::vector<HarnessLogEntry>& reference,
                                  const std::vector<std::vector<HarnessLogEntry>>& runs,
                                  const std::vector<StallWitness::Stall>& stalls) {
    std::string reasons;
    for (std::size_t i = 0; i < report.runs.size() && i < runs.size(); ++i) {
        if (report.runs[i].passed()) continue;
        const auto reason = StallExcuse::forRun(reference, runs[i], report.runs[i], stalls);
        if (!reason) return std::nullopt;
        reasons += (reasons.empty() ? "run " : "; run ") + std::to_string(i + 1) + ": " + *reason;
    }
    if (reasons.empty()) return std::nullopt;
    return reasons;
}

std::string summary(const std::vector<StallWitness::Stall>& stalls) {
    if (stalls.empty()) return "The machine never stood still for over 2 ms during the replay.";
    std::uint64_t longest = 0;
    for (const StallWitness::Stall& stall : stalls) longest = std::max(longest, stall.length());
    return "The machine itself stood still " + std::to_string(stalls.size()) +
           (stalls.size() == 1 ? " time" : " times") + " during the replay, for up to " +
           fixedDecimals(static_cast<double>(longest) / 1e6, 1) + " ms.";
}

// Waits until the machine has run for a whole quiet spell without standing still, or the longest wait has
// passed: a host that stops a virtual machine does so in spells, and a replay done again at once would meet the
// same spell.
void settle() {
    const StallWitness witness;
    if (!witness.isWatching()) return;
    std::size_t seen = 0;
    for (int spell = 0; spell < kLongestSettling / kQuietSpell; ++spell) {
        std::this_thread::sleep_for(kQuietSpell);
        const std::size_t stalls = witness.stalls().size();
        if (stalls == seen) return;
        seen = stalls;
    }
}

}  // namespace

WitnessedReplay WitnessedReplay::play(AcceptanceSession& session, const std::string& id,
                                      const std::vector<std::string>& options, const Expectation& expectation,
                                      const std::function<void()>& prepare) {
    WitnessedReplay result;
    for (int attempt = 1;; ++attempt) {
        if (prepare) prepare();
        std::vector<StallWitness::Stall> stalls;
        bool watched = false;
        {
            const StallWitness witness;
            result.played = session.play(id, options);
            watched = witness.isWatching();
            stalls = witness.stalls();
        }
        std::vector<HarnessLogEntry> expected = session.referenceEntries();
        if (expectation) expected = expectation(std::move(expected));
        const auto reference = AcceptanceComparator::referenceEvents(expected);
        const auto runs =
            AcceptanceComparator::splitRuns(session.replayEntries(), static_cast<std::int64_t>(reference.size()));
        result.report = AcceptanceComparator::compare(expected, runs);
        result.stalls = watched ? summary(stalls) : std::string();
        if (result.played.exitStatus != 0 || result.report.passed() || !watched) break;
        const auto reason = excuse(result.report, reference, runs, stalls);
        if (!reason) break;
        result.setAside.push_back("Replay " + std::to_string(attempt) + " set aside, " + *reason + ".");
        if (attempt == kAttempts) {
            result.undecided = true;
            break;
        }
        settle();
    }
    return result;
}

}  // namespace brevanor
