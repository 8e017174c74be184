#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevanor {

// One input event in a harness log: the JSON Lines an outside logger writes
// while a task is performed by hand (synthetic false) and while it is replayed
// (synthetic true). Times are nanoseconds, positions global display points.
struct HarnessLogEntry {
    std::uint64_t t = 0;
    std::string type;  // "mouseDown", "keyUp", "scroll", "mouseMoved", ...
    double x = 0;
    double y = 0;
    std::optional<std::string> button;
    std::optional<std::int64_t> clickCount;
    std::optional<std::uint16_t> keyCode;
    std::uint64_t mods = 0;
    bool synthetic = false;

    // The entry as one JSON object on one line (no newline), keys in field
    // order, absent values left out. Throws std::invalid_argument for a
    // position that JSON cannot hold (NaN, infinity).
    std::string toJson() const;
    // The entries as a log: one line each, each ending in a newline.
    static std::string jsonLines(const std::vector<HarnessLogEntry>& entries);

    friend bool operator==(const HarnessLogEntry&, const HarnessLogEntry&) = default;
};

}  // namespace brevanor
