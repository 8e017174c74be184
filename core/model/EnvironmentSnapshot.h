#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/values/DisplayInfo.h"
#include "core/model/FrontmostAppInfo.h"

namespace brevanor {

// The machine a recording was made on: displays, front application, keyboard layout.
struct EnvironmentSnapshot {
    std::vector<DisplayInfo> displays;
    std::optional<FrontmostAppInfo> frontmostApp;
    std::optional<std::string> keyboardInputSourceID;
    // The recorded pointer positions are sums of the mouse's movements, not
    // places on a screen: they can only be played relative to the cursor.
    bool relativePositions = false;

    // An unknown environment: no displays, no application, no input source.
    static EnvironmentSnapshot empty() { return {}; }

    friend bool operator==(const EnvironmentSnapshot&, const EnvironmentSnapshot&) = default;
};

}  // namespace brevanor
