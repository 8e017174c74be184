#pragma once

#include <QSettings>
#include <memory>

#include "core/store/PreferencesStore.h"

namespace brevanor {

// The user's preferences over a QSettings file. Values read back from an INI
// file are text, so each getter accepts the stored type and the text that
// type is written as, nothing else. Every change is written to disk at once, so
// a crash loses nothing (the recordings' name counter lives here too).
class QtPreferencesStore final : public PreferencesStore {
public:
    explicit QtPreferencesStore(std::unique_ptr<QSettings> settings);

    std::optional<std::int64_t> getInteger(std::string_view key) const override;
    std::optional<bool> getBoolean(std::string_view key) const override;
    std::optional<double> getDouble(std::string_view key) const override;
    std::optional<std::string> getString(std::string_view key) const override;
    std::optional<std::vector<std::uint8_t>> getData(std::string_view key) const override;

    void setInteger(std::string_view key, std::int64_t value) override;
    void setBoolean(std::string_view key, bool value) override;
    void setDouble(std::string_view key, double value) override;
    void setString(std::string_view key, std::string_view value) override;
    void setData(std::string_view key, std::vector<std::uint8_t> value) override;
    void remove(std::string_view key) override;

    // Where the values are kept (for messages and tests).
    QString fileName() const { return settings_->fileName(); }

private:
    QVariant value(std::string_view key) const;
    void write(std::string_view key, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
};

}  // namespace brevanor
