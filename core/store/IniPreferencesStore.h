#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/store/PreferencesStore.h"

namespace brevanor {

// The preferences file of the application and brevanor-cli: an INI file in
// the format QSettings writes (earlier versions of the application wrote it
// with QSettings), with the application's keys in its [General] group. Values
// are read the way QSettings reads them back (text that parses as the asked
// type, "@ByteArray(...)" for data). The file is read once and again only when
// it changed on disk, and only when it is a regular text file of at most
// maxFileBytes: anything else reads as empty and is named by problem(). Every
// change re-reads the file, replaces or appends only the changed key's line,
// and writes the file atomically, so the lines of every other key stay byte
// for byte as they were; it does so holding the lock QSettings takes
// (SettingsLockFile), so no writer loses a change. A file that cannot be read
// is never written: the preferences it may hold would be lost.
class IniPreferencesStore final : public PreferencesStore {
public:
    static constexpr std::uintmax_t maxFileBytes = 1024 * 1024;

    explicit IniPreferencesStore(std::filesystem::path file);

    // $XDG_CONFIG_HOME/Brevanor/Brevanor.conf (~/.config when unset or not absolute), where the application keeps it.
    static std::filesystem::path defaultFile();

    const std::filesystem::path& file() const { return file_; }
    // Why the file reads as empty although it is there (not a regular file,
    // too large, unreadable, not text); nothing when it reads well or is missing.
    std::optional<std::string> problem() const override;

    std::optional<std::int64_t> getInteger(std::string_view key) const override;
    std::optional<bool> getBoolean(std::string_view key) const override;
    std::optional<double> getDouble(std::string_view key) const override;
    std::optional<std::string> getString(std::string_view key) const override;
    std::optional<std::vector<std::uint8_t>> getData(std::string_view key) const override;

    // Throw FileError when the file cannot be written, and PreferencesFileError,
    // writing nothing, when the file that is there cannot be read or would
    // grow past maxFileBytes. A link in the file's place is followed: its
    // target is replaced, the link stays.
    void setInteger(std::string_view key, std::int64_t value) override;
    void setBoolean(std::string_view key, bool value) override;
    void setDouble(std::string_view key, double value) override;
    void setString(std::string_view key, std::string_view value) override;
    void setData(std::string_view key, std::vector<std::uint8_t> value) override;
    void remove(std::string_view key) override;
    // Reads, counts and writes holding the lock, so every process gets a count of its own.
    std::int64_t increment(std::string_view key) override;

    // The value text QSettings writes for a string, and the one it writes for data.
    static std::string escapeString(std::string_view text);
    static std::string escapeData(const std::vector<std::uint8_t>& bytes);
    // The strings a written value reads back as: more than one for a comma-separated list.
    static std::vector<std::string> unescapeValue(std::string_view written);

private:
    // Which version of the file was read: another process's write changes it.
    struct Stamp {
        std::uint64_t inode = 0;
        std::int64_t modifiedNanos = 0;
        std::int64_t size = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    // The file's lines as last read, and what kept it from being read.
    struct Contents {
        std::vector<std::string> lines;
        std::optional<std::string> problem;
        std::optional<Stamp> stamp;  // absent: there was no file, or it could not be looked at
    };
    static std::optional<Stamp> stampOf(const std::filesystem::path& file);
    static Contents read(const std::filesystem::path& file);
    const Contents& contents() const;

    // The unescaped value of `key` in [General], if the file holds it.
    std::optional<std::string> text(std::string_view key) const;
    // Replaces the line of `key` with `line`, or removes it when `line` is empty.
    void write(std::string_view key, const std::string& line);
    // The same with the line that `lineFor` makes of the value `key` holds in
    // the file as it is now (nothing when it holds none), read under the lock.
    void write(std::string_view key,
               const std::function<std::string(const std::optional<std::string>& value)>& lineFor);

    std::filesystem::path file_;
    mutable Contents contents_;
    mutable bool hasContents_ = false;
};

}  // namespace brevanor
