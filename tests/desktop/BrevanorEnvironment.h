#pragma once

#include <filesystem>
#include <fstream>
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

// Replaces the preferences Brevanor's programs read under `base`.
inline void writeBrevanorPreferences(const std::filesystem::path& base, const std::string& preferences) {
    std::ofstream(base / "config/Brevanor/Brevanor.conf", std::ios::trunc) << "[General]\n" << preferences;
}

// Makes the folders of that environment, the runtime folder the user's alone
// as a session's is, and a preferences file holding `preferences`.
inline void makeBrevanorFolders(const std::filesystem::path& base, const std::string& preferences) {
    for (const char* folder : {"config/Brevanor", "data", "cache", "runtime"}) {
        std::filesystem::create_directories(base / folder);
    }
    std::filesystem::permissions(base / "runtime", std::filesystem::perms::owner_all);
    writeBrevanorPreferences(base, preferences);
}

}  // namespace brevanor::testing
