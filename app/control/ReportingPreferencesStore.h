#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/store/PreferencesStore.h"

namespace brevanor {

// The preferences as the application changes them: the values of `preferences`,
// but a change that cannot be written is reported instead of thrown, since the
// application must keep running (an exception cannot cross Qt's event loop)
// and whoever made the change keeps it for the session. After every change,
// `reportWrite` learns why it failed, or nothing when it was written.
// increment() still throws: the new recording that asked for a number says so itself.
class ReportingPreferencesStore final : public PreferencesStore {
public:
    using ReportWrite = std::function<void(const std::optional<std::string>& failure)>;

    ReportingPreferencesStore(std::shared_ptr<PreferencesStore> preferences, ReportWrite reportWrite);

    std::optional<std::string> problem() const override { return preferences_->problem(); }
    std::optional<std::int64_t> getInteger(std::string_view key) const override {
        return preferences_->getInteger(key);
    }
    std::optional<bool> getBoolean(std::string_view key) const override { return preferences_->getBoolean(key); }
    std::optional<double> getDouble(std::string_view key) const override { return preferences_->getDouble(key); }
    std::optional<std::string> getString(std::string_view key) const override { return preferences_->getString(key); }
    std::optional<std::vector<std::uint8_t>> getData(std::string_view key) const override {
        return preferences_->getData(key);
    }

    void setInteger(std::string_view key, std::int64_t value) override;
    void setBoolean(std::string_view key, bool value) override;
    void setDouble(std::string_view key, double value) override;
    void setString(std::string_view key, std::string_view value) override;
    void setData(std::string_view key, std::vector<std::uint8_t> value) override;
    void remove(std::string_view key) override;
    std::int64_t increment(std::string_view key) override { return preferences_->increment(key); }

private:
    void write(const std::function<void()>& change);

    std::shared_ptr<PreferencesStore> preferences_;
    ReportWrite reportWrite_;
};

}  // namespace brevanor
