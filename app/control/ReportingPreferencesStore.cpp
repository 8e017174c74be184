#include "app/control/ReportingPreferencesStore.h"

#include <exception>

namespace brevanor {

ReportingPreferencesStore::ReportingPreferencesStore(std::shared_ptr<PreferencesStore> preferences,
                                                     ReportWrite reportWrite)
    : preferences_(std::move(preferences)), reportWrite_(std::move(reportWrite)) {}

void ReportingPreferencesStore::setInteger(std::string_view key, std::int64_t value) {
    write([&] { preferences_->setInteger(key, value); });
}

void ReportingPreferencesStore::setBoolean(std::string_view key, bool value) {
    write([&] { preferences_->setBoolean(key, value); });
}

void ReportingPreferencesStore::setDouble(std::string_view key, double value) {
    write([&] { preferences_->setDouble(key, value); });
}

void ReportingPreferencesStore::setString(std::string_view key, std::string_view value) {
    write([&] { preferences_->setString(key, value); });
}

void ReportingPreferencesStore::setData(std::string_view key, std::vector<std::uint8_t> value) {
    write([&] { preferences_->setData(key, std::move(value)); });
}

void ReportingPreferencesStore::remove(std::string_view key) {
    write([&] { preferences_->remove(key); });
}

void ReportingPreferencesStore::write(const std::function<void()>& change) {
    std::optional<std::string> failure;
    try {
        change();
    } catch (const std::exception& error) {
        failure = error.what();
    }
    reportWrite_(failure);
}

}  // namespace brevanor
