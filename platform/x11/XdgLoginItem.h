#pragma once

#include <filesystem>

#include "base/platform/LoginItem.h"

namespace brevanor {

// Starting Brevanor at login through an XDG autostart entry: a desktop file in
// the user's autostart folder that the session starts when the user logs in.
// A desktop's own settings may switch the entry off without deleting it
// (Hidden=true or X-GNOME-Autostart-enabled=false); it then counts as not registered.
class XdgLoginItem final : public LoginItem {
public:
    // Needs the autostart file to own and the program it should start.
    XdgLoginItem(std::filesystem::path entryFile, std::filesystem::path program);
    // The current user's entry: com.brevanor.Brevanor.desktop in $XDG_CONFIG_HOME/autostart,
    // or ~/.config/autostart when that is unset or not absolute.
    static std::filesystem::path defaultEntryFile();
    // The running program's own file, so the entry starts this very build.
    static std::filesystem::path runningProgram();

    bool isRegistered() override;
    // Writes the entry atomically, creating the folder; throws std::runtime_error.
    void registerItem() override;
    // Removes the entry; an absent entry is no failure. Throws std::runtime_error.
    void unregisterItem() override;

private:
    std::filesystem::path entryFile_;
    std::filesystem::path program_;
};

}  // namespace brevanor
