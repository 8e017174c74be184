#pragma once

#include <functional>
#include <map>
#include <variant>

#include "core/store/PreferencesStore.h"

namespace brevanor {

// Preferences that live as long as the object: for tests and tools that must
// not touch the user's real settings.
class InMemoryPreferencesStore final : public PreferencesStore {
public:
    std::optional<std::string> problem() const override { return std::nullopt; }
    std::optional<std::int64_t> getInteger(std::string_view key) const override { return get<std::int64_t>(key); }
    std::optional<bool> getBoolean(std::string_view key) const override { return get<bool>(key); }
    std::optional<double> getDouble(std::string_view key) const override { return get<double>(key); }
    std::optional<std::string> getString(std::string_view key) const override { return get<std::string>(key); }
    std::optional<std::vector<std::uint8_t>> getData(std::string_view key) const override {
        return get<std::vector<std::uint8_t>>(key);
    }

    void setInteger(std::string_view key, std::int64_t value) override { set(key, value); }
    void setBoolean(std::string_view key, bool value) override { set(key, value); }
    void setDouble(std::string_view key, double value) override { set(key, value); }
    void setString(std::string_view key, std::string_view value) override { set(key, std::string(value)); }
    void setData(std::string_view key, std::vector<std::uint8_t> value) override { set(key, std::move(value)); }

    void remove(std::string_view key) override;
    std::int64_t increment(std::string_view key) override;

private:
    using Value = std::variant<std::int64_t, bool, double, std::string, std::vector<std::uint8_t>>;

    template <typename T>
    std::optional<T> get(std::string_view key) const {
        const auto found = values_.find(key);
        if (found == values_.end()) return std::nullopt;
        if (const T* value = std::get_if<T>(&found->second)) return *value;
        return std::nullopt;
    }

    void set(std::string_view key, Value value);

    std::map<std::string, Value, std::less<>> values_;
};

}  // namespace brevanor
