#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/control/PreflightDecision.h"
#include "core/checks/PreflightWarning.h"

namespace brevanor {

// The modal alert shown before a playback on a machine that differs from the
// recorded one: warning style, a checkbox to stop warning for this recording,
// and buttons of which the first is the default and the last cancels.
struct PreflightAlert {
    // What the user chose: a button, by its place in `buttons`, and the checkbox.
    struct Answer {
        std::size_t buttonIndex = 0;
        bool suppressionChecked = false;
        friend bool operator==(const Answer&, const Answer&) = default;
    };

    std::string messageText;
    std::string informativeText;
    std::string suppressionTitle;
    std::vector<std::string> buttons;

    // The alert for `warnings` before playing a recording; `offerLaunch` adds a
    // first button that launches the recorded application `appName`.
    static PreflightAlert beforePlaying(const std::string& recordingName, const std::string& appName,
                                        const std::vector<PreflightWarning>& warnings, bool offerLaunch);
    // What the user's answer to this alert decides.
    PreflightDecision decision(const Answer& answer) const;

    friend bool operator==(const PreflightAlert&, const PreflightAlert&) = default;
};

}  // namespace brevanor
