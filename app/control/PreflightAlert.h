#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace brevanor {

// The modal alert shown before a playback on a machine that differs from the
// recorded one, worded by the coordinator: warning style, a checkbox to stop
// warning for this recording, and buttons of which the first is the default.
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

    friend bool operator==(const PreflightAlert&, const PreflightAlert&) = default;
};

}  // namespace brevanor
