#pragma once

#include <string>

namespace brevanor {

// What the window restorer achieved: the application is in front with its
// window back in place (restored), or a sentence for the user saying why not.
struct WindowRestoreResult {
    enum class Kind { skipped, restored };

    static WindowRestoreResult restored() { return {Kind::restored, {}}; }
    static WindowRestoreResult skipped(std::string reason) { return {Kind::skipped, std::move(reason)}; }

    bool isRestored() const { return kind == Kind::restored; }

    Kind kind = Kind::restored;
    std::string reason;  // empty when restored

    friend bool operator==(const WindowRestoreResult&, const WindowRestoreResult&) = default;
};

}  // namespace brevanor
