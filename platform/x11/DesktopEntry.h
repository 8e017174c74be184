#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanor {

// The [Desktop Entry] group of one desktop file: how Linux desktops describe an
// installed application (name, command line, window class) or an autostart item.
class DesktopEntry {
public:
    // The entry in `text`; nothing when the text has no [Desktop Entry] group.
    static std::optional<DesktopEntry> parse(std::string_view text);
    // The entry in `file`; nothing when it cannot be read, is larger than any real
    // desktop file (1 MiB) or has no [Desktop Entry] group.
    static std::optional<DesktopEntry> read(const std::filesystem::path& file);

    // The value of `key` (exact, "Name[de]" is another key than "Name") with the
    // escapes \s \n \t \r \\ resolved; nothing when absent.
    std::optional<std::string> value(std::string_view key) const;
    // True only when the value of `key` is "true".
    bool isTrue(std::string_view key) const;
    // The Exec command line split into its arguments, with the field codes (%f, %U, ...)
    // removed and %% turned into %; empty when there is no Exec or it is malformed.
    std::vector<std::string> commandLine() const;

private:
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace brevanor
