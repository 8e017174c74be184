#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanor {

// The installed applications: the desktop entries of the XDG data folders, by
// desktop-file id with ".desktop" removed ("org.gnome.Terminal"), which serves as
// the application id on Linux. An entry in an earlier folder hides one with the
// same id in a later folder. Reread whenever one of the folders changes. Not
// thread-safe: its owner calls it from one thread.
class DesktopEntryCatalog {
public:
    struct Application {
        std::string id;
        std::string name;
        std::vector<std::string> commandLine;  // Exec, field codes removed
        std::string startupWmClass;
        std::string executableName;  // the file name of the first Exec argument
    };

    // `applicationFolders` in precedence order, each an "applications" folder.
    explicit DesktopEntryCatalog(std::vector<std::filesystem::path> applicationFolders);
    // $XDG_DATA_HOME/applications (else ~/.local/share/applications), then the
    // applications folder of each $XDG_DATA_DIRS entry (else /usr/local/share and /usr/share).
    static std::vector<std::filesystem::path> defaultApplicationFolders();

    // The launchable application with that id: a Type=Application entry that is
    // not Hidden and has a command line.
    std::optional<Application> application(std::string_view id);
    // The id of the application a window belongs to, from its WM_CLASS and the
    // file name of its process's program, first rule that finds one: an entry
    // whose StartupWMClass is the class or the instance; an entry whose id is
    // the class or the instance (ignoring case); an entry whose program is the
    // instance, the class (ignoring case) or the process's program.
    std::optional<std::string> idForWindow(std::string_view instance, std::string_view windowClass,
                                           std::string_view program);

private:
    void refreshIfChanged();
    std::vector<std::pair<std::filesystem::path, std::int64_t>> folderStamps() const;

    std::vector<std::filesystem::path> folders_;
    std::vector<std::pair<std::filesystem::path, std::int64_t>> stamps_;  // folder, modification time
    bool loaded_ = false;
    std::vector<Application> applications_;  // in folder precedence, then file name order
};

}  // namespace brevanor
