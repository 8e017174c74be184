#pragma once

namespace brevanor {

// The answer to the preflight alert: cancel, or play, perhaps launching the
// recorded application first and perhaps silencing these warnings for good.
struct PreflightDecision {
    bool play = true;
    bool launchApp = false;
    bool silenceWarnings = false;

    static PreflightDecision cancel() { return {false, false, false}; }

    friend bool operator==(const PreflightDecision&, const PreflightDecision&) = default;
};

}  // namespace brevanor
