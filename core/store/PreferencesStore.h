#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanor {

// The user's preferences: typed values under string keys that outlive the
// process. The application and brevanor-cli keep them in one file
// (IniPreferencesStore); tests use InMemoryPreferencesStore. One object is
// used from one thread at a time.
class PreferencesStore {
public:
    virtual ~PreferencesStore() = default;

    // Why the stored preferences cannot be read, when they cannot: every getter
    // then answers nothing, and no setter writes over them.
    virtual std::optional<std::string> problem() const = 0;

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

    // Adds one to the count under `key` and answers the new count, in one step
    // that no other writer, in this process or another, can come between: two
    // callers never get the same count. Fails as the setters do.
    virtual std::int64_t increment(std::string_view key) = 0;

    // The count after `stored`: a missing or negative count counts as 0 (a
    // damaged preference must not make counts negative), and the largest
    // count stays the largest rather than overflowing.
    static std::int64_t countAfter(std::optional<std::int64_t> stored) {
        const std::int64_t count = std::max<std::int64_t>(stored.value_or(0), 0);
        return count == std::numeric_limits<std::int64_t>::max() ? count : count + 1;
    }
};

}  // namespace brevanor
