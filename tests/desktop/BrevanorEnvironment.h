#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace brevanor::testing {

// The environment a desktop test starts Brevanor's programs in: the test's
// display, and a home, preferences, library, state and runtime folder of the
// test's own under `base`, so that nothing of the user's is read or written.
inline std::vector<std::pair<std::string, std::string>> brevanorEnvironment(const std::filesystem::path& base,
                                                                            const std::string& display) {
    return {{"DISPLAY", display},
            {"QT_QPA_PLATFORM", "xcb"},
            {"HOME", base.string()},
            {"XDG_CONFIG_HOME", (base / "config").string()},
            {"XDG_DATA_HOME", (base / "data").string()},
            {"XDG_CACHE_HOME", (base / "cache").string()},
            {"XDG_STATE_HOME", (base / "state").string()},
            {"XDG_RUNTIME_DIR", (base / "runtime").string()},
            // No session bus, so the XEmbed tray is the one Qt uses.
            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (base / "no-bus").string()},
            // Under AddressSanitizer: what Qt's platform plugins keep until exit is not ours.
            {"ASAN_OPTIONS", "detect_leaks=0"}};
}

}  // namespace brevanor::testing
