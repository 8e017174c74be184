#pragma once

#include <string>
#include <vector>

#include "core/acceptance/AcceptanceRunResult.h"

namespace brevanor {

// The verdicts of all replay runs against one reference.
struct AcceptanceReport {
    std::vector<AcceptanceRunResult> runs;

    // At least one run, and every run passed.
    bool passed() const;
    // One line per run with its failures beneath, an empty line, the overall verdict.
    std::string summary() const;

    friend bool operator==(const AcceptanceReport&, const AcceptanceReport&) = default;
};

}  // namespace brevanor
