#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/store/PreferencesStore.h"

namespace brevanor {

// The application's preferences file read and written without Qt: the INI
// file that QSettings keeps, with the application's keys in its [General]
// group. Values are read the way QSettings reads them back (text that parses
// as the asked type, "@ByteArray(...)" for data). Every change re-reads the
// file, replaces or appends only the changed key's line, and writes the file
// atomically, so the lines of every other key stay byte for byte as they were;
// it does so holding the lock QSettings takes, so neither side loses a change.
class IniPreferencesStore final : public PreferencesStore {
public:
    explicit IniPreferencesStore(std::filesystem::path file);

    // $XDG_CONFIG_HOME/Brevanor/Brevanor.conf (~/.config when unset or not absolute), where the application keeps it.
    static std::filesystem::path defaultFile();

    const std::filesystem::path& file() const { return file_; }

    std::optional<std::int64_t> getInteger(std::string_view key) const override;
    std::optional<bool> getBoolean(std::string_view key) const override;
    std::optional<double> getDouble(std::string_view key) const override;
    std::optional<std::string> getString(std::string_view key) const override;
    std::optional<std::vector<std::uint8_t>> getData(std::string_view key) const override;

    // Throw FileError when the file cannot be written.
    void setInteger(std::string_view key, std::int64_t value) override;
    void setBoolean(std::string_view key, bool value) override;
    void setDouble(std::string_view key, double value) override;
    void setString(std::string_view key, std::string_view value) override;
    void setData(std::string_view key, std::vector<std::uint8_t> value) override;
    void remove(std::string_view key) override;

    // The value text QSettings writes for a string, and the one it writes for data.
    static std::string escapeString(std::string_view text);
    static std::string escapeData(const std::vector<std::uint8_t>& bytes);
    // The strings a written value reads back as: more than one for a comma-separated list.
    static std::vector<std::string> unescapeValue(std::string_view written);

private:
    // The unescaped value of `key` in [General], if the file holds it.
    std::optional<std::string> text(std::string_view key) const;
    // Replaces the line of `key` with `line`, or removes it when `line` is empty.
    void write(std::string_view key, const std::string& line);

    std::filesystem::path file_;
};

}  // namespace brevanor
