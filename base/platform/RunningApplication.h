#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brevanor {

// A running application as the workspace reports it. `appId` is the bundle
// identifier on macOS; on Linux the desktop-entry id, else the WM_CLASS class.
struct RunningApplication {
    std::int32_t pid = 0;
    std::optional<std::string> appId;
    std::optional<std::string> name;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

}  // namespace brevanor
