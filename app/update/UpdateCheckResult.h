#pragma once

#include <optional>
#include <string>

#include "app/update/UpdateFeed.h"

namespace brevanor {

// How one update check ended.
struct UpdateCheckResult {
    enum class Outcome {
        newerRelease,  // the feed names a newer release than the one running
        upToDate,      // the feed names this release or an older one
        failed,        // the feed could not be fetched or read
    };

    Outcome outcome = Outcome::failed;
    // The user asked for this check; automatic checks tell only of a newer release.
    bool userInitiated = false;
    // The feed as read; absent when the check failed.
    std::optional<UpdateFeed> feed;
    // Why the check failed, one sentence for the user; empty otherwise.
    std::string failure;
};

}  // namespace brevanor
