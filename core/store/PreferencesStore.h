#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanor {

// The user's preferences: typed values under string keys that outlive the
// process. The application backs it with its settings file; tests use
// InMemoryPreferencesStore. Used from the main thread only.
class PreferencesStore {
public:
    virtual ~PreferencesStore() = default;

    // Each getter answers the value stored under `key`, or nothing when the key
    // is missing or the value stored there is not of that type.
    virtual std::optional<std::int64_t> getInteger(std::string_view key) const = 0;
    virtual std::optional<bool> getBoolean(std::string_view key) const = 0;
    virtual std::optional<double> getDouble(std::string_view key) const = 0;
    virtual std::optional<std::string> getString(std::string_view key) const = 0;
    virtual std::optional<std::vector<std::uint8_t>> getData(std::string_view key) const = 0;

    // Each setter replaces whatever `key` held, whatever its type.
    virtual void setInteger(std::string_view key, std::int64_t value) = 0;
    virtual void setBoolean(std::string_view key, bool value) = 0;
    virtual void setDouble(std::string_view key, double value) = 0;
    virtual void setString(std::string_view key, std::string_view value) = 0;
    virtual void setData(std::string_view key, std::vector<std::uint8_t> value) = 0;

    // Forgets `key`; nothing happens when it is missing.
    virtual void remove(std::string_view key) = 0;
};

}  // namespace brevanor
